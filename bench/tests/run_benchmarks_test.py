#!/usr/bin/env python3
"""Checks bench/run-benchmarks: the rule and the ranking it reports, and one
run at the harness-checking size with a few programs, whose report must give
every problem and form its row, the spread of the runs and the pinning.

Usage: run_benchmarks_test.py BINDIR
"""

import importlib.machinery
import importlib.util
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "run-benchmarks")
BINDIR = None


def load_script():
    loader = importlib.machinery.SourceFileLoader("run_benchmarks", SCRIPT)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


bench = load_script()


def row(program, *seconds):
    return {"program": program, "problem": "x.txt",
            "run reports": "; ".join(f"10 20 5 0 0 {s}" for s in seconds)}


class Verdict(unittest.TestCase):
    def test_spread_comes_from_every_run_not_the_rounded_median(self):
        self.assertEqual(bench.spread(row("fastmatch", "0.031", "0.012", "0.020")),
                         (0.012, 0.020, 0.031))

    def test_a_coarse_zero_does_not_beat_a_fine_thousandth(self):
        rows = [row("augrelabel", "0.00", "0.00", "0.00"), row("fastmatch", "0.001", "0.001")]
        self.assertEqual(bench.fastest(rows, False)[1], "fastmatch")
        self.assertEqual(bench.fastest(rows + [row("peer-a", "0.2")], True)[1], "peer-a")

    def test_rule_is_half_the_peer_or_equal_below_50_ms(self):
        cases = [(("0.100",), ("0.200",), "yes"), (("0.101",), ("0.200",), "no"),
                 (("0.030",), ("0.030",), "yes"), (("0.031",), ("0.030",), "no")]
        for ours, theirs, met in cases:
            with self.subTest(ours=ours, theirs=theirs):
                verdict = bench.verdict(bench.fastest([row("fastmatch", *ours)], False),
                                        bench.fastest([row("peer-a", *theirs)], True))
                self.assertEqual(verdict[2], met)
        below_step = bench.verdict(bench.fastest([row("fastmatch", "0.000")], False),
                                   bench.fastest([row("peer-a", "0.010")], True))
        self.assertEqual(below_step[0], "> 20")


class SmallRun(unittest.TestCase):
    def test_a_report_that_cannot_be_written_is_refused_before_anything_runs(self):
        with tempfile.TemporaryDirectory() as tmp:
            work = os.path.join(tmp, "work")
            proc = subprocess.run([sys.executable, SCRIPT, "--bindir", BINDIR, "--workdir", work,
                                   "--output", tmp, "--sizes", "small"],
                                  capture_output=True, text=True, timeout=60)
            self.assertEqual((proc.returncode, proc.stdout), (2, ""))
            self.assertEqual(proc.stderr, f"run-benchmarks: cannot write {tmp}: Is a directory\n")
            self.assertFalse(os.path.exists(work))

    def test_report_has_every_form_with_its_spread(self):
        programs = ["genbip", "gennet", "fastmatch", "fastflow", "peer-csparse-matching",
                    "peer-bk-flow", "peer-matchmaker-pf-plus-matching", "safe-write"]
        with tempfile.TemporaryDirectory() as tmp:
            bindir = os.path.join(tmp, "bin")
            os.mkdir(bindir)
            for program in programs:
                if os.path.exists(os.path.join(BINDIR, program)):
                    os.symlink(os.path.join(BINDIR, program), os.path.join(bindir, program))
            output = os.path.join(tmp, "report.md")
            cpu = [] if shutil.which("taskset") else ["--cpu", "none"]
            proc = subprocess.run(
                [sys.executable, SCRIPT, "--bindir", bindir, "--workdir",
                 os.path.join(tmp, "work"), "--output", output, "--sizes", "small",
                 "--families", "deficient,layered", "-k", "3", *cpu],
                capture_output=True, text=True, timeout=300)
            self.assertEqual(proc.returncode, 0, proc.stderr)
            with open(output) as f:
                report = f.read()
            self.assertFalse(os.path.exists(os.path.join(tmp, "work")))
        if not cpu:
            self.assertIn("pinned to CPU 0 (`taskset -c 0`)", report)
        heads = re.findall(r"^\| (deficient(?: shuffled)?|layered) \| small \| (\w+) \|", report,
                           re.M)
        self.assertEqual(heads, [("deficient", "bipartite"), ("deficient", "reduction"),
                                 ("deficient shuffled", "bipartite"),
                                 ("deficient shuffled", "reduction"), ("layered", "network")])
        # deficient --size 5000 --free 0.2 leaves 1000 free on each side
        details = re.findall(r"^\| fastmatch \| bipartite \| 10000 \| 20000 \| (\d+) \|.*"
                             r"\| ([\d.]+) \| ([\d.]+) \| ([\d.]+) \| [\d.]+ \| [\d.]+ \|$",
                             report, re.M)
        self.assertEqual(len(details), 2)
        for result, low, median, high in details:
            self.assertEqual(result, "4000")
            self.assertLessEqual(float(low), float(median))
            self.assertLessEqual(float(median), float(high))


if __name__ == "__main__":
    BINDIR = os.path.abspath(sys.argv.pop(1))
    unittest.main()
