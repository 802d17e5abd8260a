"""The suite's programs from Python: run one, compare many, read and write problems."""

import collections
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np

try:
    from . import _build_info
except ImportError:  # a tree that was not built: only the environment can tell
    _build_info = None

Report = collections.namedtuple(
    "Report", "nodes edges result counter_1 counter_2 seconds messages")
Report.__doc__ = """The report line of one run.

nodes, edges, result, counter_1, counter_2 are integers and seconds a float,
as printed (see docs/formats.md, report lines: result is the matching size or
the flow value); messages holds the run's other lines of standard output,
such as a warning."""

BipartiteProblem = collections.namedtuple("BipartiteProblem", "rows cols shape")
BipartiteProblem.__doc__ = """A bipartite matching problem: edge i joins row rows[i] to
column cols[i] (0-based int64 arrays); shape is (first side, second side).
maximum_matching(problem[:2], shape=problem.shape) solves it."""

NetworkProblem = collections.namedtuple("NetworkProblem", "tails heads n source sink")
NetworkProblem.__doc__ = """A unit-capacity network: arc i runs from tails[i] to heads[i]
(0-based int64 arrays) among n nodes. maximum_flow(*problem) solves it."""


class RunError(RuntimeError):
    """A program failed: it exited with a non-zero status, was killed, timed
    out or printed no report line. Attributes: status (None after a
    timeout), stdout, stderr (text)."""

    def __init__(self, message, status, stdout, stderr):
        super().__init__(message)
        self.status, self.stdout, self.stderr = status, stdout, stderr


class CompareError(RuntimeError):
    """tools/compare found faults: programs disagreed, or runs failed or timed
    out. Attributes: errors (the messages), table (the table all the same)."""

    def __init__(self, errors, table):
        super().__init__("; ".join(errors))
        self.errors, self.table = errors, table


def find_bindir():
    """Returns the directory of the suite's programs.

    It is $MATCHFLOW_BINDIR when set, else the build/bin of the tree this
    package was built from when it holds the programs, else the directory of
    the augrelabel found on PATH.

    Raises:
        FileNotFoundError: none of them holds the programs.
    """
    found = os.environ.get("MATCHFLOW_BINDIR")
    if found:
        return found
    if _build_info and os.path.isdir(_build_info.BINDIR):
        return _build_info.BINDIR
    program = shutil.which("augrelabel")
    if program:
        return os.path.dirname(program)
    raise FileNotFoundError("the suite's programs were not found: build them, or set "
                            "MATCHFLOW_BINDIR to their directory")


def _program_path(program, directory):
    if os.sep in program:
        return program
    directory = directory or find_bindir()
    path = os.path.join(directory, program)
    if not os.access(path, os.X_OK):
        raise ValueError(f"no program {program} in {directory}")
    return path


def run(program, problem, *options, bindir=None, timeout=None):
    """Runs one of the suite's programs on a problem and parses its report line.

    Args:
        program: a program's name in find_bindir() (such as 'augrelabel',
            'unitflow-lifo', 'match', 'fastmatch') or a path to one.
        problem: a file's path (str or path-like); text holding a whole
            problem (a str with a newline in it); or anything write_problem
            takes (a scipy sparse matrix, a 2-D numpy array, a pair
            (rows, cols), a NetworkProblem or a tuple (tails, heads, n,
            source, sink)), written to a temporary file.
        *options: the program's command-line arguments, e.g. '-i', '-u', '2'.
        bindir: where the programs are; default find_bindir().
        timeout: seconds before the run is stopped (then RunError).

    Returns:
        A Report.

    Raises:
        ValueError: no such program.
        FileNotFoundError: the problem's path does not exist.
        RunError: the program failed or printed no report line; the message
            says what it printed.
    """
    path = _program_path(program, bindir)
    args = [path, *map(str, options)]
    if isinstance(problem, str) and "\n" in problem:
        return _execute(args, problem.encode(), timeout)
    if isinstance(problem, (str, os.PathLike)):
        with open(problem, "rb") as f:
            return _execute(args, f, timeout)
    with tempfile.TemporaryFile() as f:
        _write(problem, f)
        f.seek(0)
        return _execute(args, f, timeout)


def _execute(args, stdin, timeout):
    name = os.path.basename(args[0])
    feed = {"input": stdin} if isinstance(stdin, bytes) else {"stdin": stdin}
    try:
        proc = subprocess.run(args, capture_output=True, timeout=timeout, **feed)
    except subprocess.TimeoutExpired as expired:
        raise RunError(f"{name} timed out after {timeout} s", None,
                       _text(expired.stdout), _text(expired.stderr)) from None
    stdout, stderr = _text(proc.stdout), _text(proc.stderr)
    said = (stdout + stderr).strip()[-300:] or "nothing"
    if proc.returncode != 0:
        how = (f"was killed by signal {-proc.returncode}" if proc.returncode < 0
               else f"exited with status {proc.returncode}")
        raise RunError(f"{name} {how}: {said}", proc.returncode, stdout, stderr)
    report, messages = None, []
    for line in stdout.splitlines():
        fields = line.split()
        if report is None and len(fields) == 6 and all(map(_is_number, fields)):
            report = [int(f) for f in fields[:5]] + [float(fields[5])]
        elif line.strip():
            messages.append(line)
    if report is None:
        raise RunError(f"{name} printed no report line: {said}", 0, stdout, stderr)
    return Report(*report, tuple(messages))


def _text(data):
    return (data or b"").decode(errors="replace")


def _is_number(field):
    try:
        float(field)
        return True
    except ValueError:
        return False


def compare(problems, programs=None, k=1, timeout=60, *, peers=False, check=True,
            as_frame=None, bindir=None):
    """Runs the suite's programs on problem files with tools/compare.

    Args:
        problems: a path (file or directory) or a list of them.
        programs: program names with their options, e.g. ['augrelabel',
            'pushmatch-lifo -i']; default every one of the eight found.
        k: runs per program and problem (the times are medians).
        timeout: seconds before a run is stopped and counted as failed;
            None or 0 for no limit.
        peers: also run the peer adapters (peer-*).
        check: raise CompareError when tools/compare reports a fault.
        as_frame: True for a pandas DataFrame, False for a list of dicts;
            None (the default) gives a DataFrame when pandas is installed.
        bindir: where the programs are; default find_bindir().

    Returns:
        The table of tools/compare --csv, one record per problem and
        program, under its column names, each column of one type:
        problem, program, commit, date: str; nodes, edges,
        result, counter 1, counter 2, k: int; seconds, wall s, peak MiB,
        timeout: float; run reports: a list of each run's report figures
        as printed (str); run wall s, run peak MiB: a list of each run's
        (float), for every k. A figure a failed run lacks is None. A last
        column, outcome, is 'ok', 'FAILED' or 'TIMEOUT'.

    Raises:
        ValueError: tools/compare refused the arguments (unknown program,
            missing file); the message is its own.
        CompareError: with check=True, programs disagreed or runs failed.
        FileNotFoundError: tools/compare was not found.
    """
    if isinstance(problems, (str, os.PathLike)):
        problems = [problems]
    args = [sys.executable, _compare_script(), "--csv", "-q", "-k", str(k),
            "--bindir", bindir or find_bindir()]
    args += ["--timeout", str(timeout or 0)]
    for program in programs or []:
        args += ["-p", program]
    if peers:
        args.append("--peers")
    proc = subprocess.run([*args, "--", *map(os.fspath, problems)], capture_output=True,
                          text=True)
    if proc.returncode == 2 or (proc.returncode != 0 and not proc.stdout):
        raise ValueError(proc.stderr.strip() or f"tools/compare exited with {proc.returncode}")
    table = _table(proc.stdout, as_frame)
    errors = [line.removeprefix("compare: error: ") for line in proc.stderr.splitlines()
              if line.startswith("compare: error: ")]
    if check and proc.returncode != 0:
        raise CompareError(errors or [proc.stderr.strip()], table)
    return table


def _compare_script():
    tools = os.environ.get("MATCHFLOW_TOOLS") or (_build_info and _build_info.TOOLS)
    script = os.path.join(tools or "", "compare")
    if not tools or not os.path.isfile(script):
        raise FileNotFoundError("tools/compare was not found: set MATCHFLOW_TOOLS to the "
                                "tools directory of the source tree")
    return script


def _per_run(cast, separator=" "):
    """A column of one figure per run."""
    return lambda value: [None if v.strip() == "-" else cast(v.strip())
                          for v in value.split(separator)]


# How each column of compare()'s table is read (its documented type). A
# figure the run did not produce (a failed run's) is None; a column not
# named here is a str.
_COLUMNS = {
    "problem": str, "program": str, "nodes": int, "edges": int, "result": int,
    "counter 1": int, "counter 2": int, "seconds": float, "wall s": float, "peak MiB": float,
    "run reports": _per_run(str, ";"), "run wall s": _per_run(float),
    "run peak MiB": _per_run(float), "k": int, "timeout": float, "commit": str, "date": str,
}
# compare() adds "outcome": "ok", or the run's fault as tools/compare
# writes it in the result column ("FAILED", "TIMEOUT").
FAULTS = ("FAILED", "TIMEOUT")


def _record(row):
    record = {}
    for column, value in row.items():
        if column == "result" and value in FAULTS or value == "-":
            record[column] = None
        else:
            record[column] = _COLUMNS.get(column, str)(value)
    record["outcome"] = row["result"] if row["result"] in FAULTS else "ok"
    return record


def _table(text, as_frame):
    records = [_record(row) for row in csv.DictReader(io.StringIO(text))]
    if as_frame is False:
        return records
    try:
        import pandas
    except ImportError:
        if as_frame:
            raise
        return records
    columns = next(csv.reader(io.StringIO(text)), []) + ["outcome"]
    frame = pandas.DataFrame.from_records(records, columns=columns)
    # Integers stay integers beside the None of a failed run.
    return frame.astype({c: "Int64" for c in columns if _COLUMNS.get(c) is int})


def write_problem(problem, path):
    """Writes a problem in the suite's input format, with 1-based ids.

    Args:
        problem: a scipy sparse matrix (every stored entry an edge), a 2-D
            numpy array (every nonzero an edge), a pair (rows, cols) of
            0-based index arrays or a BipartiteProblem: written as
            'p bipartite-matching'; or a NetworkProblem or a tuple
            (tails, heads, n, source, sink) with 0-based ids: written as a
            'p max' network.
        path: the file to write.

    Raises:
        ValueError, TypeError: the problem is none of these.
    """
    with open(path, "wb") as f:
        _write(problem, f)


def _write(problem, out):
    if isinstance(problem, tuple) and len(problem) == 5:
        tails, heads, n, source, sink = problem
        out.write(f"p max {n} {len(tails)}\nn {source + 1} s\nn {sink + 1} t\n".encode())
        _write_pairs(out, "a {} {} 1\n", tails, heads)
        return
    rows, cols, shape = _edges(problem)
    out.write(f"p bipartite-matching {shape[0]} {shape[1]} {len(rows)}\n".encode())
    _write_pairs(out, "a {} {}\n", rows, cols)


def _edges(problem):
    if isinstance(problem, BipartiteProblem):
        return problem
    fmt = getattr(problem, "format", None)
    if isinstance(fmt, str) and hasattr(problem, "tocoo"):
        coo = problem.tocoo()
        return coo.row, coo.col, coo.shape
    if isinstance(problem, np.ndarray) and problem.ndim == 2:
        return (*np.nonzero(problem), problem.shape)
    if isinstance(problem, (tuple, list)) and len(problem) == 2:
        rows, cols = (np.asarray(x) for x in problem)
        return rows, cols, tuple(int(x.max()) + 1 if x.size else 0 for x in (rows, cols))
    raise TypeError(f"not a problem: {type(problem).__name__}")


def _write_pairs(out, line, first, second, chunk=1 << 16):
    first, second = np.asarray(first, dtype=np.int64), np.asarray(second, dtype=np.int64)
    if first.shape != second.shape:
        raise ValueError("the two id arrays differ in length")
    for start in range(0, len(first), chunk):
        pairs = zip((first[start:start + chunk] + 1).tolist(),
                    (second[start:start + chunk] + 1).tolist())
        out.write("".join(line.format(u, v) for u, v in pairs).encode())


def read_problem(path):
    """Reads a problem file of the suite's input format.

    Returns:
        A BipartiteProblem for a 'p bipartite...' problem, a NetworkProblem
        for a 'p max' or 'p unit-flow' network (ids made 0-based).

    Raises:
        ValueError: the file has no problem line, an unknown problem word, a
            network without source or sink, or a malformed line.
    """
    word, counts, terminals, ends = None, [], {}, []
    with open(path) as f:
        for number, line in enumerate(f, 1):
            fields = line.split()
            try:
                if line.startswith("a"):
                    ends.append((int(fields[1]), int(fields[2])))
                elif line.startswith("p"):
                    word, counts = fields[1], [int(x) for x in fields[2:]]
                elif line.startswith("n"):
                    terminals[fields[2]] = int(fields[1])
            except (IndexError, ValueError):
                raise ValueError(f"{path}:{number}: malformed line: {line.strip()}") from None
    first, second = (np.array(side, dtype=np.int64) - 1 for side in
                     (zip(*ends) if ends else ([], [])))
    if word and word.startswith("bipartite") and len(counts) >= 2:
        return BipartiteProblem(first, second, (counts[0], counts[1]))
    if word in ("max", "unit-flow") and counts:
        if "s" not in terminals or "t" not in terminals:
            raise ValueError(f"{path}: the network names no source or no sink")
        return NetworkProblem(first, second, counts[0], terminals["s"] - 1, terminals["t"] - 1)
    raise ValueError(f"{path}: no bipartite or network problem line")
