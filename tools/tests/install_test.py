#!/usr/bin/env python3
"""Installs the build into a temporary prefix and uses what was installed:
every program the README lists that the build made, compare running each of
them from PREFIX/bin, make-samples, verify, and the fastcore library, built
against by the example project of docs/library.md with CMake and with
pkg-config.

Usage: install_test.py CMAKE BUILD_DIR CXX CXX_FLAGS
"""

import csv
import io
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest

CMAKE, BUILD, CXX, CXX_FLAGS = None, None, None, None
SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
EXAMPLE = os.path.join(SOURCE, "examples", "library")
BIPARTITE = "p bipartite-matching 3 3 4\na 1 1\na 2 1\na 2 2\na 3 2\n"
NETWORK = "p max 4 4\nn 1 s\nn 4 t\na 1 2 1\na 1 3 1\na 2 4 1\na 3 4 1\n"
EXAMPLE_OUTPUT = "matching of size 2: 0-0 1-1; cover: rows 1, columns 0\n" \
                 "flow of value 2, proven: yes\n"
# Options a program needs to run under compare.
RUN_OPTIONS = {"distmatch": ["-np", "1"]}


def readme_programs():
    """The first column of the README's table of programs."""
    with open(os.path.join(SOURCE, "README.md")) as f:
        section = f.read().split("\n## Programs\n", 1)[1].split("\n## ", 1)[0]
    return re.findall(r"^\| `([^`]+)` \|", section, re.M)


class Prefix(unittest.TestCase):
    """The build, installed into a temporary prefix."""

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

    def installed(self, name):
        return os.access(os.path.join(self.bin, name), os.X_OK)

    def write(self, name, text):
        path = os.path.join(self.tmp.name, name)
        with open(path, "w") as f:
            f.write(text)
        return path



class Programs(Prefix):
    def test_every_program_the_readme_lists_is_installed(self):
        programs = readme_programs()
        self.assertIn("fastmatch", programs)
        built = set(os.listdir(os.path.join(BUILD, "bin")))
        for name in programs:
            if name in built:
                self.assertTrue(self.installed(name), f"{name} is built but not installed")
        for name in ["genbip", "gennet", "compare", "make-samples"]:
            self.assertTrue(self.installed(name), name)
        docs = os.path.join(self.prefix, "share", "doc", "matchflow")
        for name in ["README.md", "workbench.md", os.path.join("examples",
                                                               "matching-12x12.txt")]:
            self.assertTrue(os.path.isfile(os.path.join(docs, name)), name)

    def test_installed_compare_runs_every_installed_program(self):
        names = [n for n in readme_programs() if n != "verify" and self.installed(n)]
        names += sorted(n for n in os.listdir(self.bin) if n.startswith("peer-"))
        specs = []
        for name in names:
            specs += ["-p", shlex.join([name, *RUN_OPTIONS.get(name, [])])]
        problems = [self.write("p.txt", BIPARTITE), self.write("n.max", NETWORK)]
        plot = os.path.join(self.tmp.name, "seconds.svg")
        proc = subprocess.run([os.path.join(self.bin, "compare"), "--bindir", self.bin, "--csv",
                               "-q", "--plot", plot, *specs, *problems], capture_output=True,
                              text=True, timeout=120)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertTrue(os.path.getsize(plot) > 0)
        rows = list(csv.DictReader(io.StringIO(proc.stdout)))
        self.assertEqual({r["program"].split()[0] for r in rows}, set(names))
        self.assertEqual({r["result"] for r in rows}, {"2"})
        proc = subprocess.run([os.path.join(self.bin, "verify"), "size", problems[0], "2"],
                              capture_output=True, timeout=60)
        self.assertEqual(proc.returncode, 0, proc.stdout)

    def test_installed_make_samples_writes_into_the_current_directory(self):
        work = os.path.join(self.tmp.name, "work")
        os.mkdir(work)
        subprocess.run([os.path.join(self.bin, "make-samples")], cwd=work, check=True,
                       capture_output=True, timeout=120)
        names = os.listdir(os.path.join(work, "samples"))
        self.assertIn("uniform-reduction.txt", names)
        self.assertEqual(len(names), 36)


class Library(Prefix):
    """The example of docs/library.md, built against the installed library."""

    def test_the_documented_example_is_the_one_built(self):
        with open(os.path.join(SOURCE, "docs", "library.md")) as f:
            blocks = re.findall(r"```c\+\+\n(.*?)```", f.read(), re.S)
        with open(os.path.join(EXAMPLE, "example.cpp")) as f:
            self.assertIn(f.read(), blocks)

    def test_only_public_headers_are_installed_and_they_stand_alone(self):
        include = os.path.join(self.prefix, "include", "fastcore")
        headers = sorted(os.listdir(include))
        self.assertIn("matching.h", headers)
        self.assertNotIn("matching_steps.h", headers)
        for header in headers:
            with open(os.path.join(include, header)) as f:
                for name in re.findall(r'#include "([^"]+)"', f.read()):
                    self.assertIn(name, headers, f"{header} includes {name}")

    def run_example(self, program):
        proc = subprocess.run([program], capture_output=True, text=True, timeout=30)
        self.assertEqual((proc.returncode, proc.stdout), (0, EXAMPLE_OUTPUT), proc.stderr)

    def test_a_cmake_project_finds_and_links_the_library(self):
        build = os.path.join(self.tmp.name, "cmake-consumer")
        for command in [[CMAKE, "-S", EXAMPLE, "-B", build, f"-DCMAKE_PREFIX_PATH={self.prefix}",
                         f"-DCMAKE_CXX_COMPILER={CXX}", f"-DCMAKE_CXX_FLAGS={CXX_FLAGS}"],
                        [CMAKE, "--build", build]]:
            proc = subprocess.run(command, capture_output=True, text=True, timeout=120)
            self.assertEqual(proc.returncode, 0, proc.stdout + proc.stderr)
        self.run_example(os.path.join(build, "example"))

    def test_pkg_config_gives_the_flags_to_build_against_the_library(self):
        if shutil.which("pkg-config") is None:
            self.skipTest("pkg-config is not installed (Debian: pkg-config)")
        env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(self.prefix, "lib", "pkgconfig"))
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", "fastcore"], env=env,
                               capture_output=True, text=True, check=True).stdout.split()
        program = os.path.join(self.tmp.name, "pkg-config-consumer")
        proc = subprocess.run([CXX, *shlex.split(CXX_FLAGS), "-std=c++17",
                               os.path.join(EXAMPLE, "example.cpp"), "-o", program, *flags],
                              capture_output=True, text=True, timeout=120)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.run_example(program)


if __name__ == "__main__":
    CMAKE, BUILD, CXX, CXX_FLAGS = (sys.argv.pop(1) for _ in range(4))
    unittest.main()
