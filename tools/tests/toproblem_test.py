#!/usr/bin/env python3
"""Tests of toproblem beyond its end-to-end cases: gzip input, inputs larger
than its buffers, whole-or-nothing output files, and matching sizes of
converted matrices against scipy's on the same files (skipped where scipy is
missing).

Usage: toproblem_test.py BINDIR
"""

import gzip
import os
import random
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from problem_text import Problem, solve  # noqa: E402

try:
    import numpy
    from scipy.io import mmread
    from scipy.sparse.csgraph import maximum_bipartite_matching
except ImportError:
    mmread = None

BINDIR = None
REAL = os.path.join(os.path.dirname(__file__), "..", "..", "tests", "data", "real")
SYMMETRIES = ["general", "symmetric", "skew-symmetric", "hermitian"]
FIELDS = {"pattern": 0, "real": 1, "integer": 1, "complex": 2}


def toproblem(*args, data=None):
    return subprocess.run([os.path.join(BINDIR, "toproblem"), *args], input=data,
                          capture_output=True, timeout=60)


def body(output):
    """The output without its header comments (which name the source)."""
    return b"".join(line for line in output.splitlines(keepends=True)
                    if not line.startswith(b"c "))


def random_matrix(rng, field, symmetry, rows, entries):
    """Matrix Market text; symmetric kinds store the lower triangle only.
    Values are zero a quarter of the time, and some entries repeat."""
    columns = rows if symmetry != "general" else rows + rng.randrange(-3, 4)
    lines = [f"%%MatrixMarket matrix coordinate {field} {symmetry}",
             f"{rows} {columns} {entries}"]
    for _ in range(entries):
        i, j = rng.randrange(1, rows + 1), rng.randrange(1, columns + 1)
        if symmetry != "general":
            i, j = max(i, j), min(i, j)
            if symmetry == "skew-symmetric" and i == j:
                i, j = (i + 1, j) if i < rows else (i, j - 1)
        choices = [0, 5, -2, 3] if field == "integer" else [0, 0.5, -2, 3]
        values = [rng.choice(choices) for _ in range(FIELDS[field])]
        lines.append(" ".join(str(v) for v in [i, j, *values]))
    return ("\n".join(lines) + "\n").encode()


class Gzip(unittest.TestCase):
    def setUp(self):
        self.text = random_matrix(random.Random(1), "real", "symmetric", 400, 60000)

    def test_compressed_reads_like_plain(self):
        plain = toproblem("mtx", "-", data=self.text)
        packed = toproblem("mtx", "-", data=gzip.compress(self.text))
        self.assertEqual((plain.returncode, packed.returncode), (0, 0))
        self.assertEqual(body(packed.stdout), body(plain.stdout))
        self.assertIn(b"gzip-compressed", packed.stdout)

    def test_members_one_after_another(self):
        half = self.text.index(b"\n", len(self.text) // 2) + 1
        members = gzip.compress(self.text[:half]) + gzip.compress(self.text[half:])
        plain = toproblem("mtx", "-", data=self.text)
        self.assertEqual(body(toproblem("mtx", "-", data=members).stdout), body(plain.stdout))

    def test_truncated_and_other_compressions_refused(self):
        cut = gzip.compress(self.text)[:-100]
        for data, message in [(cut, b"ends early"), (b"BZh91AY&SY" + bytes(20), b"bzip2"),
                              (b"\xfd7zXZ\x00" + bytes(20), b"xz")]:
            with self.subTest(message=message):
                proc = toproblem("mtx", "-", data=data)
                self.assertEqual(proc.returncode, 2)
                self.assertIn(message, proc.stderr)


    def test_zero_padding_read_other_trailing_bytes_refused(self):
        plain = toproblem("mtx", "-", data=self.text)
        padded = gzip.compress(self.text) + bytes(3 << 20)
        self.assertEqual(body(toproblem("mtx", "-", data=padded).stdout), body(plain.stdout))
        proc = toproblem("mtx", "-", data=padded + b"x")
        self.assertEqual(proc.returncode, 2)
        self.assertIn(b"bytes other than zeros after the gzip data", proc.stderr)


class BoundedReading(unittest.TestCase):
    """A file without line breaks is refused after a bounded prefix, in
    bounded memory, whatever its size."""

    def test_long_line_refused_early(self):
        nuls = gzip.compress(bytes(64 << 20), compresslevel=9)
        for kind, message in [("mtx", b":1: not a Matrix Market file: '" + b"?" * 80 + b"'\n"),
                              ("edges", b": line 1 longer than 1048576 bytes\n"),
                              ("dimacs", b": line 1 longer than 1048576 bytes\n")]:
            with self.subTest(kind=kind):
                proc = toproblem(kind, "-", data=nuls)
                self.assertEqual(proc.returncode, 2)
                self.assertTrue(proc.stderr.endswith(message), proc.stderr)

    def test_line_after_the_banner(self):
        text = b"%%MatrixMarket matrix coordinate pattern general\n" + b"1" * (2 << 20)
        proc = toproblem("mtx", "-", data=text)
        self.assertEqual(proc.stderr, b"toproblem: standard input: line 2 longer than 1048576 bytes\n")


class LargeInput(unittest.TestCase):
    def test_every_edge_survives_buffer_boundaries(self):
        rng = random.Random(2)
        edges = [(rng.randrange(1 << 20), rng.randrange(1 << 20)) for _ in range(400000)]
        text = "".join(f"{a}\t{b}\n" for a, b in edges).encode()
        for data in (text, gzip.compress(text, compresslevel=1)):
            proc = toproblem("edges", "--base", "0", "-", data=data)
            self.assertEqual(proc.returncode, 0, proc.stderr)
            got = [tuple(int(f) - 1 for f in line.split()[1:])
                   for line in proc.stdout.splitlines() if line.startswith(b"a ")]
            self.assertEqual(got, edges)


class OutputFile(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.out = os.path.join(self.dir.name, "problem.txt")

    def tearDown(self):
        self.dir.cleanup()

    def test_written_whole(self):
        data = b"1 2\n2 3\n"
        proc = toproblem("edges", "-o", self.out, "-", data=data)
        self.assertEqual(proc.returncode, 0)
        self.assertEqual(open(self.out, "rb").read(), toproblem("edges", "-", data=data).stdout)
        self.assertEqual(os.listdir(self.dir.name), ["problem.txt"])
        self.assertEqual(os.stat(self.out).st_mode & 0o777, 0o666 & ~current_umask())

    def test_bad_input_leaves_the_old_file(self):
        with open(self.out, "wb") as f:
            f.write(b"old")
        proc = toproblem("edges", "-o", self.out, "-", data=b"1 2\n" * 100000 + b"x y\n")
        self.assertEqual(proc.returncode, 2)
        self.assertIn(b":100001: expected two vertex ids", proc.stderr)
        self.assertEqual(open(self.out, "rb").read(), b"old")
        self.assertEqual(os.listdir(self.dir.name), ["problem.txt"])

    def test_missing_input_is_a_failure(self):
        proc = toproblem("mtx", "-o", self.out, os.path.join(self.dir.name, "none.mtx"))
        self.assertEqual(proc.returncode, 1)
        self.assertIn(b"cannot open", proc.stderr)
        self.assertEqual(os.listdir(self.dir.name), [])


def current_umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


@unittest.skipIf(mmread is None, "scipy is not installed for this Python")
class AgainstScipy(unittest.TestCase):
    """The matching size of a converted file, by a matching program and the
    oracle, equals scipy's maximum_bipartite_matching on the matrix as scipy
    reads it (symmetric kinds expanded, explicit zeros kept)."""

    def check(self, path):
        converted = toproblem("mtx", path)
        self.assertEqual(converted.returncode, 0, converted.stderr)
        matrix = mmread(path).tocsr()
        expected = int(numpy.count_nonzero(
            maximum_bipartite_matching(matrix, perm_type="column") >= 0))
        self.assertEqual(Problem(converted.stdout.decode()).matching_size(), expected)
        self.assertEqual(int(solve(BINDIR, "breadthmatch", converted.stdout)[2]), expected)

    def test_real_matrices(self):
        for name in sorted(os.listdir(REAL)):
            if name.endswith(".mtx"):
                with self.subTest(matrix=name):
                    self.check(os.path.join(REAL, name))

    def test_every_field_and_symmetry(self):
        rng = random.Random(3)
        with tempfile.TemporaryDirectory() as tmp:
            for field in FIELDS:
                for symmetry in SYMMETRIES:
                    if symmetry == "hermitian" and field != "complex":
                        continue
                    with self.subTest(field=field, symmetry=symmetry):
                        path = os.path.join(tmp, f"{field}-{symmetry}.mtx")
                        with open(path, "wb") as f:
                            f.write(random_matrix(rng, field, symmetry, 60, 90))
                        self.check(path)


if __name__ == "__main__":
    BINDIR = sys.argv.pop(1)
    unittest.main()
