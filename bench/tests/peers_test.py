#!/usr/bin/env python3
"""Checks every peer adapter in BINDIR against the reference results on
generated problems, and that the matching peers refuse a network without the
matching shape as the suite's matching programs do.

Usage: peers_test.py BINDIR
"""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "tests"))
from problem_text import Problem, generate, solve  # noqa: E402

BINDIR = None
BIPARTITE = [["uniform", "--left", "60", "--right", "50", "--degree", "2"],
             ["long-paths", "--blocks", "5", "--block-size", "3"],
             ["few-to-many", "--left", "40", "--right", "7", "--degree", "2"]]
NETWORKS = [["cyclic", "--nodes", "50", "--arcs", "200", "--terminal-arcs", "12"],
            ["layered", "--layers", "4", "--width", "9", "--degree", "2"]]


def peers(kind):
    return sorted(n for n in os.listdir(BINDIR) if n.startswith("peer-") and n.endswith(kind))


class Peers(unittest.TestCase):
    def setUp(self):
        if not peers(""):
            self.skipTest("no peer adapters built")

    def check(self, programs, data, expected):
        for program in programs:
            with self.subTest(program=program):
                self.assertEqual(int(solve(BINDIR, program, data)[2]), expected)

    def test_bipartite_problems_and_their_reductions(self):
        for args in BIPARTITE:
            with self.subTest(family=args[0]):
                plain = generate(BINDIR, "genbip", *args)
                size = Problem(plain.decode()).matching_size()
                self.check(peers("-matching") + peers("-flow"), plain, size)
                reduction = generate(BINDIR, "genbip", *args, "--reduction")
                self.check(peers("-matching") + peers("-flow"), reduction, size)

    def test_structure_peers_give_the_structural_rank(self):
        for args in BIPARTITE:
            with self.subTest(family=args[0]):
                plain = generate(BINDIR, "genbip", *args)
                size = Problem(plain.decode()).matching_size()
                self.check(peers("-dm") + peers("-order"), plain, size)

    def test_networks(self):
        for args in NETWORKS:
            with self.subTest(family=args[0]):
                data = generate(BINDIR, "gennet", *args)
                self.check(peers("-flow"), data, Problem(data.decode()).flow_value())

    def test_network_corners(self):
        # A source-to-sink arc, parallel and antiparallel arcs, a self-loop,
        # an arc into the source and one out of the sink; the node lines
        # come after the arcs and comments sit between them.
        text = """c corners
p max 5 11
a 1 5 1
a 1 2 1
a 1 2 1
a 2 3 1
a 3 2 1
a 3 3 1
c between the arcs
a 3 5 1
a 2 4 1
a 4 5 1
a 4 1 1
a 5 2 1
n 1 s
n 5 t
"""
        self.check(peers("-flow"), text.encode(), 3)

    def test_repeated_edges_and_isolated_vertices(self):
        text = "p bipartite-matching 4 5 6\na 1 1\na 1 1\na 2 1\na 2 1\na 4 5\na 4 5\n"
        self.check(peers("-matching") + peers("-flow"), text.encode(), 2)
        # Doubled entries in a wide matrix once made cs_maxtrans match the
        # empty second row.
        text = "p bipartite-matching 2 7 6\na 1 6\na 1 2\na 1 6\na 1 2\na 1 1\na 1 1\n"
        everyone = peers("-matching") + peers("-flow") + peers("-dm") + peers("-order")
        self.check(everyone, text.encode(), 1)

    def test_matching_peers_refuse_other_networks(self):
        data = generate(BINDIR, "gennet", *NETWORKS[0])
        for program in peers("-matching"):
            with self.subTest(program=program):
                proc = subprocess.run([os.path.join(BINDIR, program)], input=data,
                                      capture_output=True)
                self.assertEqual((proc.returncode, proc.stdout),
                                 (1, b"not a bipartite matching network"))


if __name__ == "__main__":
    BINDIR = sys.argv.pop(1)
    unittest.main()
