#!/usr/bin/env python3
"""Differential test of depthmatch and breadthmatch.

Usage: augpath_oracle_test.py BINDIR

Runs both programs on a few hundred generated bipartite problems (empty
sides, isolated nodes, parallel edges, dense, sparse, chains and ladders that
need long augmenting paths; some written as "max" networks) and checks the
report line: the sizes in columns 1 and 2, and a matching size (column 3)
equal to the oracle's Hopcroft-Karp result and to augrelabel's. Option -i must change nothing, since both
programs always run the greedy start.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "oracle"))
import oracle  # noqa: E402

PROGRAMS = ["depthmatch", "breadthmatch"]
PROBLEMS = 300


def problem(rng, index):
    """A problem and its text; every fourth a ladder, every fifth a "max" network."""
    generate = oracle.ladder_bipartite if index % 4 == 0 else oracle.random_bipartite
    n1, n2, edges = generate(rng)
    if index % 5 == 0:
        return n1, n2, edges, oracle.bipartite_network_text(n1, n2, edges, rng)
    return n1, n2, edges, oracle.bipartite_text(n1, n2, edges)


def check(bindir, index, rng):
    n1, n2, edges, text = problem(rng, index)
    want = oracle.max_matching(n1, n2, edges)
    reference = os.path.join(bindir, "augrelabel")
    if os.path.exists(reference):
        size = int(oracle.run(reference, text)[2])
        if size != want:
            return [f"augrelabel finds {size}, the oracle {want}"]
    errors = []
    for name in PROGRAMS:
        program = os.path.join(bindir, name)
        fields = oracle.run(program, text)
        if fields[:3] != [str(n1 + n2), str(len(edges)), str(want)]:
            errors.append(f"{name}: {' '.join(fields)}, expected {n1 + n2} {len(edges)} {want}")
        if index % 20 == 0 and oracle.run(program, text, ["-i"])[:5] != fields[:5]:
            errors.append(f"{name}: -i changes the report")
    return [f"{e}\n{text}" for e in errors]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    bindir = sys.argv[1]
    rng = oracle.seeded(4)
    failures = []
    for index in range(PROBLEMS):
        failures += check(bindir, index, rng)
    for failure in failures[:5]:
        print(failure)
    print(f"{PROBLEMS} problems, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
