#!/usr/bin/env python3
"""Whole report lines against the oracle and the step models.

Usage: counters_test.py matching|flow BINDIR [COUNT]

matching: every matching program, and the standalone matcher, on generated
bipartite problems under each of its option sets; the oracle gives the
matching size and the step models every counter.
flow: both unit-flow programs on generated networks with cycles, parallel
arcs, self-loops, unreachable sinks and sometimes the source as sink; the
oracle gives the flow value and the model the counters.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import models  # noqa: E402
import oracle  # noqa: E402

FACTORS = {"1": 1.0, "0": 1073741823.0, "0.1": 0.1, "-1": -1.0}


def matching_runs(n1, n2, edges):
    """(program, arguments, model counters) for every run of one problem."""
    lists, source, sink = models.matching_lists(n1, n2, edges)
    yield "match", [], models.match(n1, n2, edges)
    yield "depthmatch", [], models.depthmatch(lists, source, sink)
    yield "breadthmatch", [], models.breadthmatch(lists, source, sink)
    for option, factor in FACTORS.items():
        yield "augrelabel", ["-u", option], models.augrelabel(lists, source, sink, factor)
        for lifo, program in ((True, "pushmatch-lifo"), (False, "pushmatch-fifo")):
            for greedy in (False, True):
                args = ["-u", option] + (["-i"] if greedy else [])
                yield program, args, models.pushmatch(lists, source, sink, lifo, greedy, factor)


def sparse_problem(rng):
    """A larger sparse problem, where searches dead-end and labels go stale."""
    n1, n2 = rng.randint(20, 120), rng.randint(20, 120)
    edges = [(rng.randint(1, n1), rng.randint(1, n2)) for _ in range(int(n1 * rng.uniform(1, 3)))]
    return n1, n2, edges


def matching_cases(rng, count):
    """(problem text, result, runs) for generated bipartite problems."""
    for index in range(count):
        n1, n2, edges = (sparse_problem if index % 4 == 0 else oracle.random_bipartite)(rng)
        if n1 + n2 + len(edges) == 0:
            continue
        sizes = [n1 + n2, len(edges)]
        runs = [(p, a, sizes + list(c)) for p, a, c in matching_runs(n1, n2, edges)]
        yield oracle.bipartite_text(n1, n2, edges), oracle.max_matching(n1, n2, edges), runs


def random_network(rng):
    n = rng.randint(2, 40)
    m = rng.randint(1, 4 * n)
    arcs = [(rng.randrange(n), rng.randrange(n)) for _ in range(m)]
    if rng.random() < 0.3:  # parallel and antiparallel copies
        arcs += [rng.choice(arcs)[::rng.choice((1, -1))] for _ in range(rng.randint(1, 5))]
    return n, arcs, rng.randrange(n), rng.randrange(n)


def network_text(n, arcs, s, t):
    lines = [f"p max {n} {len(arcs)}", f"n {s + 1} s", f"n {t + 1} t"]
    lines += [f"a {a + 1} {b + 1} 1" for a, b in arcs]
    return "\n".join(lines) + "\n"


def flow_cases(rng, count):
    """(network text, flow value, runs) for generated networks."""
    for _ in range(count):
        n, arcs, s, t = random_network(rng)
        runs = []
        for lifo, program in ((True, "unitflow-lifo"), (False, "unitflow-fifo")):
            for option, factor in FACTORS.items():
                counters = models.unitflow(models.FlowNetwork(n, arcs, s, t), lifo, factor)
                runs.append((program, ["-u", option], [n, len(arcs), *counters]))
        yield network_text(n, arcs, s, t), oracle.max_flow(n, arcs, s, t), runs


def report(bindir, program, args, text):
    """The five integer fields of the run's only output line, or its output."""
    proc = subprocess.run([os.path.join(bindir, program), *args], input=text,
                          capture_output=True)
    lines = proc.stdout.decode().splitlines()
    if proc.returncode != 0 or len(lines) != 1:
        return lines
    return [int(field) for field in lines[0].split()[:5]]


def main():
    family, bindir = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    cases = {"matching": (matching_cases, 77), "flow": (flow_cases, 4242)}
    generate, seed = cases[family]
    failures = 0
    for index, (text, result, runs) in enumerate(generate(oracle.seeded(seed), count)):
        for program, args, want in runs:
            got = report(bindir, program, args, text.encode())
            if got != want or want[2] != result:
                failures += 1
                print(f"problem {index}: {program} {' '.join(args)}: got {got}, "
                      f"model {want}, oracle {result}")
                if failures <= 3:
                    print(text)
    print(f"{count} problems, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
