#!/usr/bin/env python3
"""Flow values of unitflow-lifo and unitflow-fifo against the oracle.

Usage: unitflow_oracle_test.py BINDIR

Generates a few hundred networks of several shapes (random with self-loops
and parallel arcs, cycles, layered, an unreachable sink, the source as the
sink, and the unit-flow form of bipartite matching problems), runs both
programs with several -u values and checks the flow value against a plain
augmenting-path max flow. For the matching problems the flow value must also
equal augrelabel's matching size.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "oracle"))
import oracle  # noqa: E402

PROGRAMS = ("unitflow-lifo", "unitflow-fifo")
FACTORS = ("1", "0", "0.1", "2.5", "0.01")


def random_arcs(rng, n):
    """Arcs anywhere, self-loops and parallel copies included."""
    arcs = [(rng.randrange(n), rng.randrange(n)) for _ in range(rng.randint(1, 4 * n))]
    arcs += [rng.choice(arcs) for _ in range(rng.randint(0, 4))]
    return arcs


def random_network(rng):
    n = rng.randint(2, 40)
    return n, random_arcs(rng, n), rng.randrange(n), rng.randrange(n)


def cycles(rng):
    """A ring in both directions at random, with chords."""
    n = rng.randint(3, 40)
    arcs = [(v, (v + 1) % n) if rng.random() < 0.7 else ((v + 1) % n, v) for v in range(n)]
    arcs += [(rng.randrange(n), rng.randrange(n)) for _ in range(rng.randint(0, n))]
    return n, arcs, 0, rng.randrange(1, n)


def layered(rng):
    """Source, layers of random width, sink; forward arcs and a few back arcs."""
    widths = [rng.randint(1, 6) for _ in range(rng.randint(1, 6))]
    layers, n = [[0]], 1
    for w in widths:
        layers.append(list(range(n, n + w)))
        n += w
    layers.append([n])
    n += 1
    arcs = []
    for here, there in zip(layers, layers[1:]):
        for v in there:
            arcs += [(rng.choice(here), v) for _ in range(rng.randint(1, 2))]
        arcs += [(u, rng.choice(there)) for u in here if rng.random() < 0.5]
    arcs += [(rng.randrange(1, n), rng.randrange(1, n)) for _ in range(rng.randint(0, 3))]
    return n, arcs, 0, n - 1


def unreachable_sink(rng):
    """Two random parts with arcs only from the sink's part to the source's."""
    a, b = rng.randint(1, 15), rng.randint(1, 15)
    n = a + b
    arcs = [(rng.randrange(a), rng.randrange(a)) for _ in range(2 * a)]
    arcs += [(a + rng.randrange(b), a + rng.randrange(b)) for _ in range(2 * b)]
    arcs += [(a + rng.randrange(b), rng.randrange(a)) for _ in range(rng.randint(1, 4))]
    return n, arcs, rng.randrange(a), a + rng.randrange(b)


def source_is_sink(rng):
    n, arcs, s, _ = random_network(rng)
    return n, arcs, s, s


SHAPES = (random_network, cycles, layered, unreachable_sink, source_is_sink)


def network_text(n, arcs, s, t, offset):
    lines = [f"p max {n} {len(arcs)}", f"n {s + offset} s", f"n {t + offset} t"]
    lines += [f"a {u + offset} {v + offset} 1" for u, v in arcs]
    return "\n".join(lines) + "\n"


def matching_network(rng, n1, n2, edges):
    """X nodes 0..n1-1, Y nodes n1.., then the source and the sink; arcs in
    random order."""
    s, t = n1 + n2, n1 + n2 + 1
    arcs = [(s, x) for x in range(n1)] + [(n1 + y, t) for y in range(n2)]
    arcs += [(u - 1, n1 + v - 1) for u, v in edges]
    rng.shuffle(arcs)
    return n1 + n2 + 2, arcs, s, t


class Check:
    def __init__(self, bindir):
        self.bindir = bindir
        self.failures = 0

    def flows(self, text, args):
        """Each program's (nodes, arcs, flow) columns."""
        return {p: [int(f) for f in oracle.run(os.path.join(self.bindir, p), text, args)[:3]]
                for p in PROGRAMS}

    def expect(self, label, text, args, n, m, want):
        try:
            got = self.flows(text, args)
        except AssertionError as error:
            got = {"error": str(error)}
        if any(columns != [n, m, want] for columns in got.values()):
            self.failures += 1
            print(f"{label} {args}: want {[n, m, want]}, got {got}")
            if self.failures <= 3:
                print(text)


def main():
    check = Check(sys.argv[1])
    rng = oracle.seeded(5005)
    count = 0
    for index in range(300):
        n, arcs, s, t = SHAPES[index % len(SHAPES)](rng)
        offset = rng.choice((0, 1, 1, 7))
        args = ["-u", FACTORS[index % len(FACTORS)], "-o", str(offset)]
        check.expect(f"network {index}", network_text(n, arcs, s, t, offset), args, n,
                     len(arcs), oracle.max_flow(n, arcs, s, t))
        count += 1
    augrelabel = os.path.join(sys.argv[1], "augrelabel")
    for index in range(60):
        n1, n2, edges = oracle.random_bipartite(rng)
        n, arcs, s, t = matching_network(rng, n1, n2, edges)
        if not arcs:
            continue
        size = oracle.max_matching(n1, n2, edges)
        if os.path.exists(augrelabel):
            matched = int(oracle.run(augrelabel, oracle.bipartite_text(n1, n2, edges))[2])
            if matched != size:
                check.failures += 1
                print(f"matching {index}: augrelabel {matched}, oracle {size}")
        args = ["-u", FACTORS[index % len(FACTORS)]]
        check.expect(f"matching {index}", network_text(n, arcs, s, t, 1), args, n, len(arcs),
                     size)
        count += 1
    print(f"{count} networks, {check.failures} failures")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
