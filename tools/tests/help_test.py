#!/usr/bin/env python3
"""Every tool answers --help with its usage, exit status 0, and does nothing
else: the scripts of tools/, bench/, tests/fuzz/, tests/long/ and .ci/ (each
executable file there but the test drivers) and the generators, the
converter, timed-run and safe-write of BINDIR.

Usage: help_test.py BINDIR
"""

import os
import signal
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
FOLDERS = ["tools", "bench", os.path.join("tests", "fuzz"), os.path.join("tests", "long"), ".ci"]
PROGRAMS = ["genbip", "gennet", "toproblem", "timed-run", "safe-write"]
BINDIR = None


def scripts():
    found = []
    for folder in FOLDERS:
        for here, _, names in os.walk(os.path.join(SOURCE, folder)):
            found += [os.path.join(here, n) for n in names
                      if not n.endswith("_test.py") and os.access(os.path.join(here, n), os.X_OK)]
    return sorted(found)


def run(tool, option, work):
    """(status, stdout, stderr); a tool that takes --help for work to do is
    stopped after a few seconds with all it started."""
    proc = subprocess.Popen([tool, option], cwd=work, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True, start_new_session=True)
    try:
        out, err = proc.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, err = proc.communicate()
    return proc.returncode, out, err


class Help(unittest.TestCase):
    def check(self, tool):
        with tempfile.TemporaryDirectory() as work:
            for option in ["--help", "-h"]:
                status, out, err = run(tool, option, work)
                self.assertEqual((status, err), (0, ""), f"{tool} {option}")
                self.assertIn("usage", out.lower(), f"{tool} {option}")
                self.assertIn(os.path.basename(tool), out, f"{tool} {option}")
            self.assertEqual(os.listdir(work), [], f"{tool} --help wrote files")

    def test_scripts(self):
        tools = scripts()
        self.assertIn(os.path.join(SOURCE, "tools", "make-samples"), tools)
        for tool in tools:
            with self.subTest(tool=os.path.relpath(tool, SOURCE)):
                self.check(tool)

    def test_programs(self):
        for name in PROGRAMS:
            if os.access(os.path.join(BINDIR, name), os.X_OK):
                with self.subTest(program=name):
                    self.check(os.path.join(BINDIR, name))


if __name__ == "__main__":
    BINDIR = os.path.abspath(sys.argv.pop(1))
    unittest.main()
