"""Independent reference results for the differential tests.

Written apart from the solvers and kept short: Hopcroft-Karp for the size of
a maximum bipartite matching, and breadth-first augmenting paths for the
value of a maximum flow with unit arc capacities. Also small random problem
generators and a helper that runs a program on a problem text.
"""

import collections
import random
import subprocess


def max_matching(n1, n2, edges):
    """Size of a maximum matching; edges are (u, v) with u in 1..n1, v in 1..n2."""
    adj = [[] for _ in range(n1 + 1)]
    for u, v in edges:
        adj[u].append(v)
    mate_u = [0] * (n1 + 1)
    mate_v = [0] * (n2 + 1)
    size = 0
    while True:
        # Layer the free U vertices' alternating BFS.
        dist = [-1] * (n1 + 1)
        queue = collections.deque(u for u in range(1, n1 + 1) if mate_u[u] == 0)
        for u in queue:
            dist[u] = 0
        found = False
        while queue:
            u = queue.popleft()
            for v in adj[u]:
                w = mate_v[v]
                if w == 0:
                    found = True
                elif dist[w] < 0:
                    dist[w] = dist[u] + 1
                    queue.append(w)
        if not found:
            return size
        pos = [0] * (n1 + 1)
        for root in range(1, n1 + 1):
            if mate_u[root] != 0:
                continue
            # Iterative DFS along the layers.
            stack = [root]
            while stack:
                u = stack[-1]
                if pos[u] == len(adj[u]):
                    dist[u] = -1
                    stack.pop()
                    continue
                v = adj[u][pos[u]]
                pos[u] += 1
                w = mate_v[v]
                if w == 0:
                    # Flip along the stack.
                    for x in reversed(stack):
                        nxt = mate_u[x]
                        mate_u[x] = v
                        mate_v[v] = x
                        v = nxt
                    size += 1
                    break
                if dist[w] == dist[u] + 1:
                    stack.append(w)


def max_flow(n, arcs, s, t, capacities=None):
    """Maximum flow value by shortest augmenting paths; arcs are (tail, head),
    nodes 0..n-1, each of capacity 1 unless capacities gives one per arc."""
    if s == t:
        return 0
    cap = []
    adj = [[] for _ in range(n)]
    head = []
    for i, (a, b) in enumerate(arcs):
        adj[a].append(len(head))
        head.append(b)
        cap.append(1 if capacities is None else capacities[i])
        adj[b].append(len(head))
        head.append(a)
        cap.append(0)
    flow = 0
    while True:
        parent = [-1] * n
        parent[s] = -2
        queue = collections.deque([s])
        while queue and parent[t] == -1:
            x = queue.popleft()
            for e in adj[x]:
                y = head[e]
                if cap[e] and parent[y] == -1:
                    parent[y] = e
                    queue.append(y)
        if parent[t] == -1:
            return flow
        path, y = [], t
        while y != s:
            path.append(parent[y])
            y = head[parent[y] ^ 1]
        bottleneck = min(cap[e] for e in path)
        for e in path:
            cap[e] -= bottleneck
            cap[e ^ 1] += bottleneck
        flow += bottleneck


def random_bipartite(rng):
    """A random bipartite problem (n1, n2, edges) of a randomly chosen shape."""
    shape = rng.choice(["sparse", "dense", "empty-side", "parallel", "chain", "isolated"])
    n1, n2 = rng.randint(1, 30), rng.randint(1, 30)
    if shape == "empty-side":
        if rng.random() < 0.5:
            n1 = 0
        else:
            n2 = 0
        return n1, n2, []
    if shape == "chain":
        # Blocks joined so that greedy leaves free vertices far apart.
        k = rng.randint(2, 12)
        n1 = n2 = k
        edges = [(i, i) for i in range(1, k + 1)] + [(i + 1, i) for i in range(1, k)]
        rng.shuffle(edges)
        return n1, n2, edges
    density = {"sparse": 1.5, "dense": 0.5 * n2, "parallel": 2.0, "isolated": 0.7}[shape]
    m = int(density * n1) + rng.randint(0, 3)
    edges = [(rng.randint(1, n1), rng.randint(1, n2)) for _ in range(m)]
    if shape == "parallel" and edges:
        edges += rng.sample(edges, min(len(edges), 5))
    return n1, n2, edges


def bipartite_text(n1, n2, edges):
    lines = [f"p bipartite-matching {n1} {n2} {len(edges)}"]
    lines += [f"a {u} {v}" for u, v in edges]
    return "\n".join(lines) + "\n"


def run(program, text, args=()):
    """Runs `program` on `text`; returns its report line's fields as strings."""
    proc = subprocess.run([program, *args], input=text.encode(), capture_output=True,
                          timeout=60)
    if proc.returncode != 0:
        raise AssertionError(f"{program} {list(args)} exited {proc.returncode}: "
                             f"{proc.stdout!r} {proc.stderr!r}")
    return proc.stdout.decode().split("\n")[-2].split()


def seeded(seed):
    return random.Random(seed)


def planted_bipartite(rng):
    """A problem (n1, n2, edges) with a hidden large matching under noise.

    A random perfect matching of k pairs, a few of its edges dropped, plus
    random extra edges, all shuffled: greedy starts miss much of the matching,
    so solvers need long alternating paths, many relabels and global updates.
    """
    k = rng.randint(2, 60)
    n1, n2 = k + rng.randint(0, 3), k + rng.randint(0, 3)
    ys = rng.sample(range(1, n2 + 1), k)
    edges = [(x, y) for x, y in zip(range(1, k + 1), ys) if rng.random() > 0.1]
    edges += [(rng.randint(1, n1), rng.randint(1, n2)) for _ in range(rng.randint(0, 3 * k))]
    rng.shuffle(edges)
    return n1, n2, edges


def bipartite_network_text(n1, n2, edges, rng):
    """The same problem as a "max" network with shuffled node numbers.

    Arcs source -> X node, X node -> Y node, Y node -> sink, all of capacity 1;
    the source and the sink are named by node lines. Needs at least one arc.
    """
    n = n1 + n2 + 2
    number = list(range(1, n + 1))
    rng.shuffle(number)
    xs, ys = number[:n1], number[n1:n1 + n2]
    source, sink = number[n1 + n2], number[n1 + n2 + 1]
    arcs = [(source, x) for x in xs] + [(xs[u - 1], ys[v - 1]) for u, v in edges]
    arcs += [(y, sink) for y in ys]
    lines = [f"p max {n} {len(arcs)}", f"n {source} s", f"n {sink} t"]
    lines += [f"a {a} {b} 1" for a, b in arcs]
    return "\n".join(lines) + "\n"


def ladder_bipartite(rng):
    """A ladder x1-y1-x2-y2-...-xk-yk (n1, n2, edges) with a perfect matching,
    numbering and edge order varied, so that the greedy start leaves free
    nodes whose augmenting paths run along the ladder."""
    k = rng.randint(2, 200)
    xs, ys = list(range(1, k + 1)), list(range(1, k + 1))
    if rng.random() < 0.5:
        rng.shuffle(xs)
        rng.shuffle(ys)
    edges = []
    for i in range(k):
        pair = [(xs[i], ys[i])] + ([(xs[i + 1], ys[i])] if i + 1 < k else [])
        edges += pair[::-1] if rng.random() < 0.5 else pair
    if rng.random() < 0.5:
        edges.reverse()
    return k, k, edges
