#!/usr/bin/env python3
"""Checks bench/fastflow-ab on a problem solved below the timer's resolution:
every round reports 0.000 s, and the table must still get its row.

Usage: fastflow_ab_test.py BINDIR
"""

import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "fastflow-ab")
BINDIR = None


class UnderTheTimer(unittest.TestCase):
    def test_rounds_of_zero_seconds_give_a_row_without_a_ratio(self):
        with tempfile.TemporaryDirectory() as work:
            problem = os.path.join(work, "tiny.txt")
            with open(problem, "w") as f:
                subprocess.run([os.path.join(BINDIR, "genbip"), "uniform", "--left", "20",
                                "--right", "20", "--degree", "2"], stdout=f, check=True)
            # fastmatch stands in for the peer, which may not be built.
            done = subprocess.run([sys.executable, SCRIPT, "--program", "fastmatch", "--before",
                                   BINDIR, "--after", BINDIR, "--peer", "fastmatch", "-k", "2",
                                   "--cpu", str(min(os.sched_getaffinity(0))), problem],
                                  capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        rows = [line.split("|") for line in done.stdout.splitlines() if "tiny.txt" in line]
        self.assertEqual(len(rows), 1, done.stdout)
        before, after, ratio = (cell.strip() for cell in rows[0][2:5])
        self.assertEqual((before, after), ("0.000", "0.000"))
        self.assertEqual(ratio, "-")


if __name__ == "__main__":
    BINDIR = os.path.abspath(sys.argv.pop(1))
    unittest.main()
