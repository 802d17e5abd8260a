#!/usr/bin/env python3
"""Tests of tools/compare against stub programs whose report lines are known,
and once against the real programs of BINDIR when they are there.

Usage: compare_test.py BINDIR
"""

import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

COMPARE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "compare")
BINDIR = None

BIPARTITE = "c two on the left, one on the right\np bipartite-matching 2 1 2\na 1 1\na 2 1\n"
NETWORK = "p max 4 3\nn 1 s\nn 4 t\na 1 2 1\na 2 3 1\na 3 4 1\n"
WIDE = "p bipartite-matching 300000 2 1\na 1 1\n"

# Answers "not a bipartite matching network" to a max problem, like the
# matching programs do for a network without the matching shape.
REFUSE_NETWORKS = "grep -q '^p max' && { printf 'not a bipartite matching network'; exit 1; }\n"


def report(*figures):
    return "printf '%8s %8s %8s %8s %8s %11s\\n' " + " ".join(str(f) for f in figures) + "\n"


class CompareTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.bindir = os.path.join(self.dir, "bin")
        os.mkdir(self.bindir)
        self.problems = os.path.join(self.dir, "problems")
        os.mkdir(self.problems)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def stub(self, name, body, reads_input=False):
        path = os.path.join(self.bindir, name)
        with open(path, "w") as f:
            f.write("#!/bin/sh\n" + ("" if reads_input else "cat >/dev/null\n") + body)
        os.chmod(path, 0o755)

    def problem(self, name, text):
        path = os.path.join(self.problems, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def compare(self, *args):
        proc = subprocess.run([sys.executable, COMPARE, "--bindir", self.bindir, *args],
                              capture_output=True, text=True, timeout=60)
        return proc.returncode, proc.stdout, proc.stderr

    def table(self, *args):
        status, out, err = self.compare("--csv", *args)
        rows = list(csv.reader(io.StringIO(out)))
        return status, {r[1]: r for r in rows[1:]}, err


class Table(CompareTest):
    def test_markdown_table_has_the_report_figures_and_median_seconds(self):
        counter = os.path.join(self.dir, "count")
        self.stub("augrelabel", f"n=$(cat {counter} 2>/dev/null || echo 0); n=$((n+1)); "
                  f"echo $n > {counter}\ncase $n in 1) s=0.10;; 2) s=0.30;; *) s=0.20;; esac\n"
                  + report(3, 2, 1, 5, 9, "$s"))
        path = self.problem("one.txt", BIPARTITE)
        status, out, err = self.compare("-k", "3", path)
        self.assertEqual(status, 0, err)
        lines = out.splitlines()
        self.assertEqual(lines[0], "| problem | program | nodes | edges | result | counter 1 | "
                                   "counter 2 | seconds | wall s | peak MiB |")
        self.assertEqual(lines[2].split(" | ")[:8],
                         [f"| {path}", "augrelabel", "3", "2", "1", "5", "9", "0.20"])
        self.assertEqual(len(lines), 3)
        wall, peak = lines[2].rstrip(" |").split(" | ")[8:]
        self.assertGreater(float(wall), 0)
        self.assertGreater(float(peak), 0)
        self.assertIn("augrelabel", err)

    def test_each_problem_goes_to_the_programs_that_take_it(self):
        self.stub("augrelabel", REFUSE_NETWORKS + "cat >/dev/null\n" + report(3, 2, 1, 0, 0, 0.01),
                  reads_input=True)
        self.stub("match", report(3, 2, 1, 0, 0, 0.01))
        self.stub("unitflow-lifo", report(4, 3, 1, 0, 0, 0.01))
        self.stub("peer-lib-flow", report(4, 3, 1, 0, 0, 0.01))
        for name, text in [("a-bip.txt", BIPARTITE), ("b-net.txt", NETWORK), ("c-wide.txt", WIDE)]:
            self.problem(name, text)
        status, out, err = self.compare("--csv", "--peers", self.problems)
        self.assertEqual(status, 0, err)
        ran = [(os.path.basename(r[0]), r[1]) for r in list(csv.reader(io.StringIO(out)))[1:]]
        self.assertEqual(ran, [("a-bip.txt", "augrelabel"), ("a-bip.txt", "match"),
                               ("a-bip.txt", "peer-lib-flow"), ("b-net.txt", "unitflow-lifo"),
                               ("b-net.txt", "peer-lib-flow"), ("c-wide.txt", "augrelabel"),
                               ("c-wide.txt", "peer-lib-flow")])

    def test_peers_only_on_request(self):
        self.stub("depthmatch", report(3, 2, 1, 0, 0, 0.01))
        self.stub("peer-lib-matching", report(3, 2, 1, 0, 0, 0.01))
        status, rows, _ = self.table(self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, list(rows)), (0, ["depthmatch"]))
        status, rows, _ = self.table("--peers", self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, list(rows)), (0, ["depthmatch", "peer-lib-matching"]))

    def test_named_programs_get_their_options(self):
        self.stub("pushmatch-lifo", 'echo "$@" > ' + os.path.join(self.dir, "args") + "\n"
                  + report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", report(3, 2, 1, 0, 0, 0.01))
        status, rows, err = self.table("-p", "pushmatch-lifo -i -u 2",
                                       self.problem("p.txt", BIPARTITE))
        self.assertEqual((status, list(rows)), (0, ["pushmatch-lifo -i -u 2"]), err)
        with open(os.path.join(self.dir, "args")) as f:
            self.assertEqual(f.read(), "-i -u 2\n")


class Disagreement(CompareTest):
    def test_a_program_with_a_wrong_size_is_flagged(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", report(3, 2, 2, 0, 0, 0.01))
        status, rows, err = self.table(self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1)
        self.assertIn("programs disagree on the result: augrelabel 1, depthmatch 2", err)
        self.assertEqual(rows["depthmatch"][4], "2")

    def test_matching_size_and_flow_value_of_one_network_are_compared(self):
        self.stub("breadthmatch", report(2, 1, 1, 0, 0, 0.01))
        self.stub("unitflow-fifo", report(4, 3, 0, 0, 0, 0.01))
        status, _, err = self.table(self.problem("p.txt", NETWORK))
        self.assertEqual(status, 1)
        self.assertIn("breadthmatch 1, unitflow-fifo 0", err)

    def test_results_that_change_between_runs_are_flagged(self):
        self.stub("augrelabel", "echo x >> " + os.path.join(self.dir, "n") + "\n"
                  + report(3, 2, 1, f"$(wc -l < {os.path.join(self.dir, 'n')})", 0, 0.01))
        status, _, err = self.table("-k", "2", self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1)
        self.assertIn("augrelabel: results differ between runs", err)


class FailingPrograms(CompareTest):
    def check_failure(self, body, message, *args):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.stub("depthmatch", body)
        status, rows, err = self.table(*args, self.problem("p.txt", BIPARTITE))
        self.assertEqual(status, 1, err)
        self.assertIn(f"depthmatch: {message}", err)
        self.assertEqual(rows["augrelabel"][4], "1")
        return rows["depthmatch"]

    def test_non_zero_exit_status(self):
        row = self.check_failure("echo broken; exit 3\n", "exit status 3: broken")
        self.assertEqual(row[4], "FAILED")

    def test_killed_by_a_signal(self):
        self.check_failure("kill -SEGV $$\n", "killed by signal 11")

    def test_no_report_line(self):
        self.check_failure("echo nothing to say\n", "no report line: nothing to say")

    def test_a_message_beside_the_report_line(self):
        row = self.check_failure("echo 'Error: Matching is not maximum!'\n"
                                 + report(3, 2, 1, 0, 0, 0.01), "unexpected output: Error")
        self.assertEqual(row[4], "1")

    def test_timeout(self):
        row = self.check_failure("exec sleep 20\n", "timed out", "--timeout", "0.5")
        self.assertEqual(row[4], "TIMEOUT")

    def test_a_failed_run_is_not_repeated(self):
        log = os.path.join(self.dir, "runs")
        self.check_failure(f"echo run >> {log}; exit 3\n", "exit status 3", "-k", "3")
        with open(log) as f:
            self.assertEqual(f.read(), "run\n")


class Usage(CompareTest):
    def test_usage_errors_exit_2(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        path = self.problem("p.txt", BIPARTITE)
        cases = [(["-p", "nosuch", path], "no program nosuch"),
                 ([os.path.join(self.dir, "missing")], "no such file or directory"),
                 (["-k", "0", path], "-k must be at least 1"),
                 (["--plot", "out.txt", path], ".svg or .png"),
                 ([self.problem("bad.txt", "p matching 1 1 1\n")], "unknown problem kind")]
        for args, message in cases:
            with self.subTest(args=args):
                status, out, err = self.compare(*args)
                self.assertEqual((status, out), (2, ""))
                self.assertIn(message, err)

    def test_directories_skip_files_without_a_problem_line(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        self.problem("notes.txt", "just words\n")
        self.problem("p.txt", BIPARTITE)
        status, rows, err = self.table(self.problems)
        self.assertEqual((status, list(rows)), (0, ["augrelabel"]))
        self.assertIn("skipping", err)

    def test_plot(self):
        self.stub("augrelabel", report(3, 2, 1, 0, 0, 0.01))
        target = os.path.join(self.dir, "seconds.svg")
        status, _, err = self.compare("--plot", target, self.problem("p.txt", BIPARTITE))
        if shutil.which("gnuplot") is None:
            self.assertEqual(status, 2)
            self.assertIn("--plot needs gnuplot", err)
            return
        self.assertEqual(status, 0, err)
        with open(target) as f:
            self.assertIn("<svg", f.read())


class RealPrograms(unittest.TestCase):
    def test_the_suite_agrees_on_a_generated_problem(self):
        genbip = os.path.join(BINDIR, "genbip")
        if not os.access(os.path.join(BINDIR, "augrelabel"), os.X_OK):
            self.skipTest("no solver programs built")
        with tempfile.TemporaryDirectory() as dir:
            for name, extra in [("plain.txt", []), ("network.txt", ["--reduction"])]:
                with open(os.path.join(dir, name), "wb") as f:
                    subprocess.run([genbip, "hidden-perfect", "--size", "300", *extra],
                                   stdout=f, check=True)
            proc = subprocess.run([sys.executable, COMPARE, "--bindir", BINDIR, "--csv", dir],
                                  capture_output=True, text=True, timeout=120)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        rows = list(csv.reader(io.StringIO(proc.stdout)))[1:]
        self.assertGreaterEqual(len(rows), 2)
        self.assertEqual({r[4] for r in rows}, {"300"})


if __name__ == "__main__":
    BINDIR = sys.argv.pop(1)
    unittest.main()
