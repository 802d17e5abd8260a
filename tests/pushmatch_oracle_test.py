#!/usr/bin/env python3
"""Differential test of pushmatch-lifo and pushmatch-fifo.

Usage: pushmatch_oracle_test.py BINDIR

On a few hundred generated bipartite problems (empty sides, isolated nodes,
parallel edges, dense, sparse, long augmenting paths, planted matchings, some
as "max" networks) both programs, with and without -i and under several -u
factors, must report the problem's sizes, the oracle's matching size and
augrelabel's, and count greedy matches only under -i.
"""

import concurrent.futures
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "oracle"))
import oracle  # noqa: E402

PROBLEMS = 300
PROGRAMS = ("pushmatch-lifo", "pushmatch-fifo")
# Each program runs once per problem, with and without the greedy start, with
# the default factor or one of several -u values.
ARGUMENTS = [start + factor for start in ([], ["-i"])
             for factor in ([], ["-u", "0"], ["-u", "0.5"], ["-u", "1"], ["-u", "2"], ["-u", "-1"])]


def generate(seed):
    """A problem, its text, and the arguments for each program."""
    rng = oracle.seeded(seed)
    if seed % 3 == 0:
        n1, n2, edges = oracle.planted_bipartite(rng)
    else:
        n1, n2, edges = oracle.random_bipartite(rng)
    total_arcs = n1 + n2 + len(edges)
    if seed % 5 == 0 and total_arcs > 0:
        text = oracle.bipartite_network_text(n1, n2, edges, rng)
    else:
        text = oracle.bipartite_text(n1, n2, edges)
    runs = {program: rng.choice(ARGUMENTS) for program in PROGRAMS}
    return n1, n2, edges, text, runs


def check(seed, bindir):
    """Returns the failures on problem `seed`, each as one line of text."""
    n1, n2, edges, text, runs = generate(seed)
    want = oracle.max_matching(n1, n2, edges)
    failures = []
    reference = oracle.run(os.path.join(bindir, "augrelabel"), text)
    if int(reference[2]) != want:
        failures.append(f"augrelabel matches {reference[2]}, oracle {want}")
    for program, args in runs.items():
        got = oracle.run(os.path.join(bindir, program), text, args)
        name = f"{program} {' '.join(args)}".strip()
        if got[:2] != [str(n1 + n2), str(len(edges))]:
            failures.append(f"{name}: sizes {got[:2]}, expected {n1 + n2} {len(edges)}")
        if int(got[2]) != want:
            failures.append(f"{name}: matches {got[2]}, oracle {want}")
        greedy = int(got[3])
        if ("-i" in args and not 0 <= greedy <= want) or ("-i" not in args and greedy):
            failures.append(f"{name}: {greedy} greedy matches")
    return [f"seed {seed}: {failure}" for failure in failures]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    bindir = sys.argv[1]
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        results = pool.map(lambda seed: check(seed, bindir), range(PROBLEMS))
        failures = [failure for result in results for failure in result]
    for failure in failures[:40]:
        print(failure)
    print(f"{PROBLEMS} problems, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
