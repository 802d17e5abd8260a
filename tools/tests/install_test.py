#!/usr/bin/env python3
"""Installs the build into a temporary prefix and runs the installed tools:
compare on a small problem with the installed programs and every peer that
was built, make-samples with its defaults, and verify on compare's answer.

Usage: install_test.py CMAKE BUILD_DIR
"""

import csv
import io
import os
import subprocess
import sys
import tempfile
import unittest

CMAKE, BUILD = None, None
PROBLEM = "p bipartite-matching 3 3 4\na 1 1\na 2 1\na 2 2\na 3 2\n"


class Installed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.prefix = os.path.join(cls.tmp.name, "prefix")
        subprocess.run([CMAKE, "--install", BUILD, "--prefix", cls.prefix], check=True,
                       capture_output=True)
        cls.bin = os.path.join(cls.prefix, "bin")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_tools_and_documentation_are_installed(self):
        for name in ["augrelabel", "match", "unitflow-fifo", "genbip", "gennet", "compare",
                     "make-samples", "verify"]:
            self.assertTrue(os.access(os.path.join(self.bin, name), os.X_OK), name)
        docs = os.path.join(self.prefix, "share", "doc", "matchflow")
        for name in ["README.md", "workbench.md", os.path.join("examples",
                                                               "matching-12x12.txt")]:
            self.assertTrue(os.path.isfile(os.path.join(docs, name)), name)

    def test_installed_compare_runs_the_installed_programs(self):
        path = os.path.join(self.tmp.name, "p.txt")
        with open(path, "w") as f:
            f.write(PROBLEM)
        proc = subprocess.run([os.path.join(self.bin, "compare"), "--bindir", self.bin, "--csv",
                               "-q", "--peers", path], capture_output=True, text=True,
                              timeout=120)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        rows = list(csv.DictReader(io.StringIO(proc.stdout)))
        peers = {n for n in os.listdir(os.path.join(BUILD, "bin")) if n.startswith("peer-")}
        self.assertEqual({r["program"] for r in rows},
                         {"augrelabel", "pushmatch-lifo", "pushmatch-fifo", "depthmatch",
                          "breadthmatch", "match"} | peers)
        self.assertEqual({r["result"] for r in rows}, {"2"})
        proc = subprocess.run([os.path.join(self.bin, "verify"), "size", path, "2"],
                              capture_output=True, timeout=60)
        self.assertEqual(proc.returncode, 0, proc.stdout)

    def test_installed_make_samples_writes_into_the_current_directory(self):
        work = os.path.join(self.tmp.name, "work")
        os.mkdir(work)
        subprocess.run([os.path.join(self.bin, "make-samples")], cwd=work, check=True,
                       capture_output=True, timeout=120)
        names = os.listdir(os.path.join(work, "samples"))
        self.assertIn("uniform-reduction.txt", names)
        self.assertEqual(len(names), 20)


if __name__ == "__main__":
    CMAKE, BUILD = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main()
