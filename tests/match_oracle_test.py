#!/usr/bin/env python3
"""Checks match against an independent Hopcroft-Karp on generated problems.

Usage: match_oracle_test.py BINDIR

For each problem the report line must give |U| + |V|, the declared |E| and
the maximum matching size, with nothing else on standard output, and the
output file must list a valid matching of that size: each pair an input
edge, U vertices ascending, no V vertex twice.
"""

import collections
import os
import random
import subprocess
import sys
import tempfile

SEED = 20240607


def maximum_matching_size(n_u, n_v, edges):
    """Hopcroft-Karp: shortest augmenting paths in phases, iteratively."""
    adj = [[] for _ in range(n_u + 1)]
    for u, v in edges:
        adj[u].append(v)
    mate_u = [0] * (n_u + 1)
    mate_v = [0] * (n_v + 1)
    size = 0
    while True:
        dist = [-1] * (n_u + 1)
        queue = collections.deque(u for u in range(1, n_u + 1) if mate_u[u] == 0)
        for u in queue:
            dist[u] = 0
        reachable_free = False
        while queue:
            u = queue.popleft()
            for v in adj[u]:
                w = mate_v[v]
                if w == 0:
                    reachable_free = True
                elif dist[w] < 0:
                    dist[w] = dist[u] + 1
                    queue.append(w)
        if not reachable_free:
            return size
        position = [0] * (n_u + 1)
        for root in range(1, n_u + 1):
            if mate_u[root] == 0 and augment(root, adj, dist, position, mate_u, mate_v):
                size += 1


def augment(root, adj, dist, position, mate_u, mate_v):
    """Depth-first search from root along the layers; flips the path found.
    position[u] is u's edge under examination; a vertex found dead leaves
    the layers for the rest of the phase."""
    path = [root]
    while path:
        u = path[-1]
        if position[u] == len(adj[u]):
            dist[u] = -1
            path.pop()
            if path:
                position[path[-1]] += 1
            continue
        w = mate_v[adj[u][position[u]]]
        if w == 0:
            for x in path:
                y = adj[x][position[x]]
                mate_v[y], mate_u[x] = x, y
            return True
        if dist[w] == dist[u] + 1:
            path.append(w)
        else:
            position[u] += 1
    return False


def random_problem(rng, n_u, n_v, n_edges):
    if n_u == 0 or n_v == 0:
        return n_u, n_v, []
    return n_u, n_v, [(rng.randint(1, n_u), rng.randint(1, n_v)) for _ in range(n_edges)]


def chain_problem(rng, length):
    """U i meets V i and V i+1, listed so that greedy takes V i+1: the last
    U vertex needs an augmenting path through the whole chain. Vertex
    numbers are shuffled so the chain runs in any direction."""
    u_name = list(range(1, length + 1))
    v_name = list(range(1, length + 2))
    rng.shuffle(u_name)
    rng.shuffle(v_name)
    edges = []
    for i in range(length):
        edges += [(u_name[i], v_name[i]), (u_name[i], v_name[i + 1])]
    return length, length + 1, edges


def problems(rng):
    for n_u, n_v in [(0, 0), (0, 5), (5, 0), (1, 1), (3, 0)]:
        yield n_u, n_v, []
    for _ in range(100):  # sparse, with many isolated vertices
        n_u, n_v = rng.randint(1, 60), rng.randint(1, 60)
        yield random_problem(rng, n_u, n_v, rng.randint(0, n_u + n_v))
    for _ in range(50):  # dense
        n_u, n_v = rng.randint(1, 25), rng.randint(1, 25)
        yield random_problem(rng, n_u, n_v, rng.randint(n_u * n_v // 2, 2 * n_u * n_v))
    for _ in range(30):  # unbalanced sides
        n_u, n_v = rng.choice([(rng.randint(1, 5), rng.randint(20, 80)),
                               (rng.randint(20, 80), rng.randint(1, 5))])
        yield random_problem(rng, n_u, n_v, rng.randint(0, 3 * (n_u + n_v)))
    for _ in range(30):  # parallel edges
        n_u, n_v, edges = random_problem(rng, rng.randint(1, 20), rng.randint(1, 20), 30)
        yield n_u, n_v, edges + rng.choices(edges, k=len(edges))
    for _ in range(30):  # long augmenting paths, with stray edges at times
        n_u, n_v, edges = chain_problem(rng, rng.randint(1, 300))
        if rng.random() < 0.5:
            edges += random_problem(rng, n_u, n_v, rng.randint(1, 10))[2]
        yield n_u, n_v, edges
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


def run_one(binary, out_path, n_u, n_v, edges, declared):
    """Returns what is wrong with one run, or None."""
    size = maximum_matching_size(n_u, n_v, edges)
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


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    binary = os.path.join(sys.argv[1], "match")
    rng = random.Random(SEED)
    failures = 0
    count = 0
    with tempfile.TemporaryDirectory() as tmp:
        out_path = os.path.join(tmp, "matching")
        for n_u, n_v, edges in problems(rng):
            count += 1
            declared = len(edges) if rng.random() < 0.9 else rng.randint(0, 1000)
            problem = "problem %d (|U|=%d, |V|=%d, %d edges)" % (count, n_u, n_v, len(edges))
            fault = run_one(binary, out_path, n_u, n_v, edges, declared)
            if fault:
                failures += 1
                print("%s: %s" % (problem, fault))
    print("%d problems, %d failures" % (count, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
