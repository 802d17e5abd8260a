#!/usr/bin/env python3
"""Differential test of match.

Usage: match_oracle_test.py BINDIR

On a few hundred generated problems (empty sides, isolated vertices,
parallel edges, dense, sparse, unbalanced, long augmenting paths, declared
edge counts that differ from the edges given) the report line must give
|U| + |V|, the declared |E| and the oracle's maximum matching size, with
nothing else on standard output, and the output file must list a valid
matching of that size: each pair an input edge, U vertices ascending, no V
vertex twice. On every other problem one of the other matching programs
built in BINDIR must find the same size.
"""

import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "oracle"))
import oracle  # noqa: E402

SEED = 20240607
PEERS = ("augrelabel", "depthmatch", "breadthmatch", "pushmatch-lifo", "pushmatch-fifo")


def random_problem(rng, n_u, n_v, n_edges):
    if n_u == 0 or n_v == 0:
        return n_u, n_v, []
    return n_u, n_v, [(rng.randint(1, n_u), rng.randint(1, n_v)) for _ in range(n_edges)]


def problems(rng):
    for n_u, n_v in [(0, 0), (0, 5), (5, 0), (1, 1), (3, 0)]:
        yield n_u, n_v, []
    for _ in range(80):  # sparse, with many isolated vertices
        n_u, n_v = rng.randint(1, 60), rng.randint(1, 60)
        yield random_problem(rng, n_u, n_v, rng.randint(0, n_u + n_v))
    for _ in range(40):  # dense
        n_u, n_v = rng.randint(1, 25), rng.randint(1, 25)
        yield random_problem(rng, n_u, n_v, rng.randint(n_u * n_v // 2, 2 * n_u * n_v))
    for _ in range(30):  # unbalanced sides
        n_u, n_v = rng.choice([(rng.randint(1, 5), rng.randint(20, 80)),
                               (rng.randint(20, 80), rng.randint(1, 5))])
        yield random_problem(rng, n_u, n_v, rng.randint(0, 3 * (n_u + n_v)))
    for _ in range(30):  # parallel edges
        n_u, n_v, edges = random_problem(rng, rng.randint(1, 20), rng.randint(1, 20), 30)
        yield n_u, n_v, edges + rng.choices(edges, k=len(edges))
    for _ in range(20):  # long augmenting paths, with stray edges at times
        n_u, n_v, edges = oracle.ladder_bipartite(rng)
        if rng.random() < 0.5:
            edges += random_problem(rng, n_u, n_v, rng.randint(1, 10))[2]
        yield n_u, n_v, edges
    for _ in range(20):  # a large matching hidden from the greedy start
        yield oracle.planted_bipartite(rng)
    for _ in range(6):  # larger random problems
        n_u, n_v = rng.randint(500, 3000), rng.randint(500, 3000)
        yield random_problem(rng, n_u, n_v, rng.randint(n_u, 4 * n_u))


def problem_text(n_u, n_v, edges, declared):
    lines = ["p bipartite-matching %d %d %d\n" % (n_u, n_v, declared)]
    lines += ["a %d %d\n" % edge for edge in edges]
    return "".join(lines).encode()


def check_listing(listing, n_u, n_v, edges, declared, size):
    """Returns what is wrong with the output file, or None."""
    heading = "Bipartite Matching; Results for |U|=%d, |V|=%d, |E|=%d\n\n" % (n_u, n_v, declared)
    if not listing.startswith(heading):
        return "heading %r" % listing[:80]
    pairs = []
    for line in listing[len(heading):].splitlines():
        words = line.split()
        if len(words) != 4 or words[1:3] != ["matched", "to"]:
            return "line %r" % line
        pairs.append((int(words[0]), int(words[3])))
    edge_set = set(edges)
    if any(pair not in edge_set for pair in pairs):
        return "a pair that is not an edge"
    if [u for u, _ in pairs] != sorted(set(u for u, _ in pairs)):
        return "U vertices not strictly ascending"
    if len(set(v for _, v in pairs)) != len(pairs):
        return "a V vertex matched twice"
    if len(pairs) != size:
        return "%d pairs listed, maximum is %d" % (len(pairs), size)
    return None


def run_one(binary, out_path, n_u, n_v, edges, declared, size):
    """Returns what is wrong with one run of match, or None."""
    proc = subprocess.run([binary, out_path], input=problem_text(n_u, n_v, edges, declared),
                          capture_output=True, timeout=60)
    if proc.returncode != 0 or proc.stderr:
        return "status %d, stderr %r" % (proc.returncode, proc.stderr[:200])
    lines = proc.stdout.decode().splitlines()
    if len(lines) != 1:
        return "standard output %r" % proc.stdout[:300]
    fields = [int(f) for f in lines[0].split()[:3]]
    if fields != [n_u + n_v, declared, size]:
        return "report %r, expected %d %d %d" % (lines[0], n_u + n_v, declared, size)
    with open(out_path) as listing:
        return check_listing(listing.read(), n_u, n_v, edges, declared, size)


def peer_fault(peer, n_u, n_v, edges, size):
    """Returns what is wrong with the peer's matching size, or None. The
    peers want at least one vertex and one edge, and exactly the declared
    edges."""
    if n_u + n_v == 0 or not edges:
        return None
    got = oracle.run(peer, oracle.bipartite_text(n_u, n_v, edges))
    if int(got[2]) != size:
        return "%s matches %s, oracle %d" % (os.path.basename(peer), got[2], size)
    return None


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    binary = os.path.join(sys.argv[1], "match")
    peers = [os.path.join(sys.argv[1], p) for p in PEERS
             if os.path.exists(os.path.join(sys.argv[1], p))]
    rng = random.Random(SEED)
    failures = 0
    count = 0
    with tempfile.TemporaryDirectory() as tmp:
        out_path = os.path.join(tmp, "matching")
        for n_u, n_v, edges in problems(rng):
            count += 1
            declared = len(edges) if rng.random() < 0.9 else rng.randint(0, 1000)
            problem = "problem %d (|U|=%d, |V|=%d, %d edges)" % (count, n_u, n_v, len(edges))
            size = oracle.max_matching(n_u, n_v, edges)
            fault = run_one(binary, out_path, n_u, n_v, edges, declared, size)
            if not fault and peers and count % 2 == 0:
                fault = peer_fault(rng.choice(peers), n_u, n_v, edges, size)
            if fault:
                failures += 1
                print("%s: %s" % (problem, fault))
    print("%d problems, %d failures" % (count, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
