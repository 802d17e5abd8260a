#!/usr/bin/env python3
"""Runs one end-to-end case file against the programs in a bin directory.

A case file holds header lines, then sections:

    # comment lines are ignored
    program: augrelabel depthmatch   (names, or the groups @matching, @unitflow,
                                      @matching-input: @matching and fastmatch)
    args: -u 0 -o=3                  (shell words; {out} is a fresh temporary file)
    status: 1                        (expected exit status, default 0)
    stdin-path: /                    (optional: a file or directory opened as stdin)
    --- stdin
    p bipartite-matching 1 1 1
    a 1 1
    --- stdout
           2        1        1        1        4        0.00
    --- stderr
    --- file out                     (expected content of {out} after the run)

A section holds the bytes of its lines up to the next section header,
line terminators included; `--- NAME noeol` drops the last line terminator.
A missing stdin section is an empty input; a missing stdout or stderr
section expects nothing on that stream. Each program runs with its bare name
as argv[0], as if found on the PATH, in a fresh temporary directory where
{out} is the file `out`, and {program} in an expected section stands for
that name. The seconds column of report lines is masked on both sides before
comparing.

A file NAME.table holds many cases, one a row (message cases of one reader
go into one table):

    # program | args | stdin | stdout | status [| stderr]
    @unitflow | | p max 2 1\\nn 1 s\\nn 2 t\\na 1 2 1\\na 1 2 1\\n | too many arcs input\\n | 1

Fields are split at the bars; one blank each side of a bar is padding, and
\\n, \\r, \\t, \\| and \\\\ in a field stand for a newline, a carriage
return, a tab, a bar and a backslash. A row expects nothing on standard
error unless it has a sixth field, and names no section of the forms below.

More section forms:

    --- stdout @unitflow             (for the programs of that group only;
                                      the section without a group serves the rest)
    --- file -h absent               (no file of that name is left in the directory)
    --- input flow.txt               (a file written into the directory before the
                                      run, and expected unchanged after it)
    stdin-path: {out}                (the stdin section is written to {out}
                                      first, and {out} is opened as stdin; a
                                      relative path is taken in the directory)
    stdin-gzip: yes                  (the stdin section is gzip-compressed
                                      first, with trailing zero bytes when
                                      the value is `padded`)
    setup: ln -s target link         (a shell command run in the directory
                                      before the program, after {out} is made)
    check: test -z "$(ls -A)"        (a shell command run in the directory
                                      after the program; it must exit 0)
    stdout-path: /dev/full           (a file opened, or made, as standard output,
                                      relative to the directory; the stdout
                                      section is then not compared)
    file-size-limit: 64              (writes past 64 bytes fail, as on a full disk)
    requires: root                   (the case is skipped, with exit status
                                      77, unless the tests run as root; or
                                      non-root: a root run of a faulty program
                                      could replace the machine's devices)
"""

import argparse
import gzip
import os
import re
import resource
import shlex
import signal
import subprocess
import sys
import tempfile

GROUPS = {
    "@matching": ["augrelabel", "pushmatch-lifo", "pushmatch-fifo", "depthmatch", "breadthmatch"],
    "@unitflow": ["unitflow-lifo", "unitflow-fifo"],
}
# The programs that read the matching programs' input with their messages.
GROUPS["@matching-input"] = GROUPS["@matching"] + ["fastmatch"]
# The programs beyond the eight that read problem files of every format.
GROUPS["@fast"] = ["fastmatch", "fastflow"]

REPORT = re.compile(rb"^( *-?\d+(?: +-?\d+){4}) +-?\d+\.\d\d\d?$", re.MULTILINE)


def parse_case(data):
    headers, sections = {}, {}
    name, flags, body = None, [], []
    for line in re.findall(rb"[^\n]*\n|[^\n]+$", data):
        if line.startswith(b"--- "):
            if name is not None:
                sections[name] = (b"".join(body), flags)
            words = line[4:].decode().split()
            if words[0] in ("file", "input"):  # the file's name belongs to the section's name
                words[:2] = [" ".join(words[:2])]
            groups = [w for w in words[1:] if w.startswith("@")]
            name, flags, body = " ".join([words[0]] + groups), words[1:], []
        elif name is not None:
            body.append(line)
        elif line.strip() and not line.startswith(b"#"):
            key, _, value = line.decode().partition(":")
            headers[key.strip()] = value.strip()
    if name is not None:
        sections[name] = (b"".join(body), flags)
    out = {}
    for key, (content, flags) in sections.items():
        if "noeol" in flags and content.endswith(b"\n"):
            content = content[:-1]
        out[key] = None if "absent" in flags else content
    return headers, out


def sections_for(program, sections):
    """The sections that apply to one program: a group's own section wins."""
    chosen = {}
    for key, content in sections.items():
        groups = [w for w in key.split(" ") if w.startswith("@")]
        name = key[:len(key) - len(" ".join(groups))].rstrip()
        if not groups:
            chosen.setdefault(name, content)
        elif any(program in GROUPS.get(g, []) for g in groups):
            chosen[name] = content
    return chosen


def mask_seconds(text):
    return REPORT.sub(rb"\1 <seconds>", text)


def programs_of(spec, bindir):
    names = []
    for word in spec.split():
        if word in GROUPS:
            names += [p for p in GROUPS[word] if os.path.exists(os.path.join(bindir, p))]
        else:
            names.append(word)
    return names


def show(label, text):
    sys.stdout.write(f"--- {label} ---\n{text.decode(errors='replace')}\n")


SKIPPED = 77


def shell(command, tmp, label):
    """Runs a case's setup or check command in its directory; whether it
    succeeded."""
    proc = subprocess.run(command.replace("{out}", os.path.join(tmp, "out")), shell=True,
                          cwd=tmp, capture_output=True, timeout=60)
    if proc.returncode != 0:
        show(f"{label} command failed with status {proc.returncode}", proc.stdout + proc.stderr)
    return proc.returncode == 0


def limited(headers):
    """The child's limits: with file-size-limit, writes past that many bytes
    fail with EFBIG (SIGXFSZ ignored), as on a full disk."""
    if "file-size-limit" not in headers:
        return None
    size = int(headers["file-size-limit"])

    def apply():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))
    return apply


def stdin_bytes(headers, sections):
    data = sections.get("stdin", b"")
    packing = headers.get("stdin-gzip")
    if packing in ("yes", "padded"):
        data = gzip.compress(data, mtime=0) + (bytes(512) if packing == "padded" else b"")
    return data


def run_program(program, binary, args, headers, sections, tmp):
    for key, content in sections.items():
        if key.startswith("input "):
            with open(os.path.join(tmp, key[len("input "):]), "wb") as f:
                f.write(content)
    if headers.get("stdin-path") == "{out}":
        headers = dict(headers, **{"stdin-path": "out"})
        with open(os.path.join(tmp, "out"), "wb") as f:
            f.write(stdin_bytes(headers, sections))
    if "setup" in headers and not shell(headers["setup"], tmp, "setup"):
        raise SystemExit("the case's setup command failed")
    streams = {"input": stdin_bytes(headers, sections), "stdout": subprocess.PIPE}
    opened = []
    for stream, flags in (("stdin", os.O_RDONLY), ("stdout", os.O_WRONLY | os.O_CREAT)):
        if f"{stream}-path" in headers:
            opened.append(os.open(os.path.join(tmp, headers[f"{stream}-path"]), flags, 0o666))
            streams[stream] = opened[-1]
    if "stdin" in streams:
        del streams["input"]
    try:
        return subprocess.run([program] + args, executable=binary, cwd=tmp,
                              stderr=subprocess.PIPE, timeout=60, preexec_fn=limited(headers),
                              **streams)
    finally:
        for fd in opened:
            os.close(fd)


def check_files(tmp, sections, failures):
    for key, want in sections.items():
        if not key.startswith(("file ", "input ")):
            continue
        name = key.split(" ", 1)[1]
        path = os.path.join(tmp, name)
        got = open(path, "rb").read() if os.path.exists(path) else None
        if got != want:
            failures.append(f"file {name}")
            show(f"file {name} expected", want if want is not None else b"<absent>")
            show(f"file {name} got", got if got is not None else b"<absent>")


def run_one(program, bindir, headers, sections):
    sections = sections_for(program, sections)
    with tempfile.TemporaryDirectory() as tmp:
        out_path = os.path.join(tmp, "out")
        args = [a.replace("{out}", out_path) for a in shlex.split(headers.get("args", ""))]
        binary = os.path.abspath(os.path.join(bindir, program))
        if not os.path.exists(binary):
            print(f"{program}: no such program in {bindir}")
            return False
        proc = run_program(program, binary, args, headers, sections, tmp)
        failures = []
        want_status = int(headers.get("status", "0"))
        if proc.returncode != want_status:
            failures.append(f"exit status {proc.returncode}, expected {want_status}")
        for stream, got in (("stdout", proc.stdout or b""), ("stderr", proc.stderr)):
            want = sections.get(stream, b"").replace(b"{program}", program.encode())
            if mask_seconds(got) != mask_seconds(want):
                failures.append(stream)
                show(f"{stream} expected", want)
                show(f"{stream} got", got)
        check_files(tmp, sections, failures)
        if "check" in headers and not shell(headers["check"], tmp, "check"):
            failures.append("check command")
        for failure in failures:
            print(f"{program}: {failure} differs")
        return not failures


def unescape(field):
    """A table field's text: \\n, \\r, \\t, \\| and \\\\ stand for a newline,
    a carriage return, a tab, a bar and a backslash."""
    out, chars = [], iter(field)
    for c in chars:
        if c == "\\":
            c = {"n": "\n", "r": "\r", "t": "\t", "|": "|", "\\": "\\"}[next(chars)]
        out.append(c)
    return "".join(out).encode()


def parse_table(data):
    """A table file: one case a row, `program | args | stdin | stdout |
    status [| stderr]`, fields split at bars that no backslash escapes, one
    blank on each side of a bar being padding. Yields (line number, headers,
    sections)."""
    for number, line in enumerate(data.decode().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = [re.sub(r"^ | $", "", f) for f in re.split(r"(?<!\\)\|", line)]
        if len(fields) not in (5, 6):
            raise SystemExit(f"line {number}: {len(fields)} fields, not 5 or 6")
        headers = {"program": fields[0].strip(), "args": unescape(fields[1]).decode(),
                   "status": fields[4].strip()}
        sections = {"stdin": unescape(fields[2]), "stdout": unescape(fields[3])}
        if len(fields) == 6:
            sections["stderr"] = unescape(fields[5])
        yield number, headers, sections


def run_cases(cases, bindir):
    ok = True
    for label, headers, sections in cases:
        programs = programs_of(headers.get("program", ""), bindir)
        if not programs:
            print(f"{label}the case names no program that was built")
            return False
        for program in programs:
            if not run_one(program, bindir, headers, sections):
                print(f"{label}{program} failed")
                ok = False
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bindir", required=True)
    parser.add_argument("case")
    opts = parser.parse_args()
    data = open(opts.case, "rb").read()
    if opts.case.endswith(".table"):
        cases = [(f"line {n}: ", h, s) for n, h, s in parse_table(data)]
    else:
        cases = [("", *parse_case(data))]
        requires = cases[0][1].get("requires")
        if requires and (requires == "root") != (os.geteuid() == 0):
            print(f"skipped: the case runs only as {requires}")
            return SKIPPED
    return 0 if run_cases(cases, opts.bindir) else 1


if __name__ == "__main__":
    sys.exit(main())
