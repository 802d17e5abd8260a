"""run() and compare(): the programs driven from Python, problems read and
written, and their failures turned into exceptions."""

import csv
import io
import os
import re
import subprocess
import sys

import numpy as np
import pytest
import scipy.sparse as sp

import matchflow
from matchflow import CompareError, RunError, compare, run

SMALL = "c two rows, two columns\np bipartite-matching 2 2 3\na 1 2\na 2 1\na 2 2\n"
NETWORK = "p max 4 5\nn 1 s\nn 4 t\na 1 2 1\na 1 3 1\na 2 3 1\na 2 4 1\na 3 4 1\n"


def test_run_takes_a_path_text_a_matrix_and_edge_arrays(tmp_path):
    path = tmp_path / "small.txt"
    path.write_text(SMALL)
    A = sp.csr_matrix(np.array([[0, 1], [1, 1]]))
    for problem in (path, str(path), SMALL, A, A.toarray(), (np.array([0, 1, 1]),
                                                              np.array([1, 0, 1]))):
        report = run("augrelabel", problem)
        assert report[:3] == (4, 3, 2), problem
        assert report.seconds >= 0 and report.messages == ()
    network = ([0, 0, 1, 1, 2], [1, 2, 2, 3, 3], 4, 0, 3)
    for problem in (NETWORK, network, matchflow.NetworkProblem(*network)):
        assert run("unitflow-fifo", problem).result == 2


def test_run_passes_options_and_reads_other_report_lines():
    without, with_greedy = run("pushmatch-lifo", SMALL), run("pushmatch-lifo", SMALL, "-i")
    assert without.counter_1 == 0 and with_greedy.counter_1 > 0
    assert without.result == with_greedy.result == 2
    assert run("match", SMALL).result == 2
    assert run("unitflow-lifo", NETWORK, "-o", 1).nodes == 4
    warned = run("augrelabel", "p max 4 3\nn 1 s\nn 4 t\na 1 2 5\na 2 3 1\na 3 4 1\n")
    assert warned.messages == ("Warning Upper Bound changed to 1",)


def test_run_failures_raise():
    with pytest.raises(ValueError, match="no program"):
        run("no-such-program", SMALL)
    with pytest.raises(FileNotFoundError):
        run("augrelabel", "/no/such/problem.txt")
    with pytest.raises(RunError, match="not a bipartite matching network") as failed:
        run("augrelabel", "p max 3 1\nn 1 s\nn 3 t\na 1 3 1\n")
    assert failed.value.status == 1
    with pytest.raises(RunError, match="exited with status 1"):
        run("unitflow-lifo", SMALL, "-i")


def test_problems_survive_writing_and_reading(tmp_path, problems):
    for key in [("hex-grid", 1), ("few-to-many", 2)]:
        problem = matchflow.read_problem(problems[key])
        copy = tmp_path / "copy.txt"
        matchflow.write_problem(problem, copy)
        again = matchflow.read_problem(copy)
        assert again.shape == problem.shape
        assert np.array_equal(again.rows, problem.rows) and np.array_equal(again.cols,
                                                                           problem.cols)
    network = matchflow.NetworkProblem(np.array([0, 2]), np.array([2, 1]), 3, 0, 1)
    matchflow.write_problem(network, tmp_path / "net.txt")
    again = matchflow.read_problem(tmp_path / "net.txt")
    assert again[2:] == (3, 0, 1) and again.heads.tolist() == [2, 1]
    (tmp_path / "none.txt").write_text("c nothing\n")
    with pytest.raises(ValueError, match="no bipartite or network problem line"):
        matchflow.read_problem(tmp_path / "none.txt")


def compare_script_table(bindir, *args):
    """tools/compare's own CSV table, run as a command."""
    script = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "compare")
    proc = subprocess.run([sys.executable, script, "--csv", "-q", "--bindir", bindir, *args],
                          capture_output=True, text=True, check=True)
    return list(csv.DictReader(io.StringIO(proc.stdout)))


def test_compare_gives_the_table_of_tools_compare(problems, networks, bindir):
    paths = [problems["hex-grid", 1], networks["layered", 2]]
    table = compare(paths, as_frame=False)
    expected = compare_script_table(bindir, *paths)
    assert len(table) == len(expected) > 0
    assert list(table[0]) == list(expected[0]) + ["outcome"]
    for ours, theirs in zip(table, expected):
        assert (ours["problem"], ours["program"]) == (theirs["problem"], theirs["program"])
        assert [ours[c] for c in ("nodes", "edges", "result")] == [
            int(theirs[c]) for c in ("nodes", "edges", "result")]
        assert isinstance(ours["seconds"], float)
    chosen = compare(paths[0], programs=["depthmatch", "pushmatch-fifo -i"], k=2, as_frame=False)
    assert [r["program"] for r in chosen] == ["depthmatch", "pushmatch-fifo -i"]


@pytest.mark.parametrize("k", [1, 2])
def test_every_column_has_one_type_whatever_k(problems, k):
    row, = compare(problems["uniform", 1], programs=["fastmatch"], k=k, as_frame=False)
    for column, kind in [("problem", str), ("nodes", int), ("result", int), ("counter 2", int),
                         ("seconds", float), ("wall s", float), ("peak MiB", float), ("k", int),
                         ("timeout", float), ("commit", str), ("date", str)]:
        assert isinstance(row[column], kind), (column, row[column])
    for column in ("run wall s", "run peak MiB"):
        assert len(row[column]) == k and all(isinstance(v, float) for v in row[column])
    assert len(row["run reports"]) == k and row["outcome"] == "ok"


def test_a_commit_hash_stays_a_string(tmp_path):
    text = ("problem,program,result,seconds,commit\n"
            "p.txt,augrelabel,3,0.25,6007e47\np.txt,depthmatch,TIMEOUT,-,1234567\n")
    ok, timed_out = matchflow._suite._table(text, as_frame=False)
    assert (ok["commit"], ok["result"], ok["outcome"]) == ("6007e47", 3, "ok")
    assert (timed_out["commit"], timed_out["result"], timed_out["seconds"]) == ("1234567", None,
                                                                                None)
    assert timed_out["outcome"] == "TIMEOUT"


def test_the_version_is_the_projects():
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "CMakeLists.txt")) as f:
        version = re.search(r"project\(matchflow VERSION ([0-9.]+)", f.read()).group(1)
    assert matchflow.__version__ == version


def test_compare_gives_a_data_frame_with_pandas(problems):
    pandas = pytest.importorskip("pandas")
    frame = compare(problems["uniform", 2], programs=["breadthmatch"])
    assert isinstance(frame, pandas.DataFrame)
    assert list(frame.columns)[:5] == ["problem", "program", "nodes", "edges", "result"]
    problem = matchflow.read_problem(problems["uniform", 2])
    expected = matchflow.maximum_matching(problem[:2], shape=problem.shape).size
    assert frame["result"].tolist() == [expected]


def test_compare_faults_raise(problems, tmp_path):
    with pytest.raises(ValueError, match="no such file"):
        compare(tmp_path / "missing.txt")
    with pytest.raises(ValueError, match="no program"):
        compare(problems["uniform", 1], programs=["no-such-program"])
    # A program that prints no report line fails its run.
    fake = tmp_path / "bin"
    fake.mkdir()
    (fake / "augrelabel").write_text("#!/bin/sh\ncat >/dev/null\necho nonsense\n")
    (fake / "augrelabel").chmod(0o755)
    with pytest.raises(CompareError, match="no report line") as failed:
        compare(problems["uniform", 1], programs=["augrelabel"], bindir=str(fake),
                as_frame=False)
    assert (failed.value.table[0]["result"], failed.value.table[0]["outcome"]) == (None,
                                                                                  "FAILED")
    table = compare(problems["uniform", 1], programs=["augrelabel"], bindir=str(fake),
                    check=False, as_frame=False)
    assert table[0]["program"] == "augrelabel" and table[0]["seconds"] is None
