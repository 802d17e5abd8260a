#!/usr/bin/env python3
"""Both unit-flow programs' report lines against the oracle and the model.

Usage: flow_counters_test.py BINDIR [COUNT]
Generated networks have cycles, parallel arcs, self-loops, unreachable sinks
and sometimes the source as sink; every run must print the oracle's flow
value and the model's counters.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import models  # noqa: E402
import oracle  # noqa: E402

FACTORS = {"1": 1.0, "0": 1073741823.0, "0.1": 0.1, "-1": -1.0}


def random_network(rng):
    n = rng.randint(2, 40)
    m = rng.randint(1, 4 * n)
    arcs = [(rng.randrange(n), rng.randrange(n)) for _ in range(m)]
    if rng.random() < 0.3:  # parallel and antiparallel copies
        arcs += [rng.choice(arcs)[::rng.choice((1, -1))] for _ in range(rng.randint(1, 5))]
    s, t = rng.randrange(n), rng.randrange(n)
    return n, arcs, s, t


def network_text(n, arcs, s, t):
    lines = [f"p max {n} {len(arcs)}", f"n {s + 1} s", f"n {t + 1} t"]
    lines += [f"a {a + 1} {b + 1} 1" for a, b in arcs]
    return "\n".join(lines) + "\n"


def main():
    bindir = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    rng = oracle.seeded(4242)
    failures = 0
    for index in range(count):
        n, arcs, s, t = random_network(rng)
        text = network_text(n, arcs, s, t).encode()
        value = oracle.max_flow(n, arcs, s, t)
        for lifo, program in ((True, "unitflow-lifo"), (False, "unitflow-fifo")):
            for option, factor in FACTORS.items():
                net = models.FlowNetwork(n, arcs, s, t)
                want = [n, len(arcs), *models.unitflow(net, lifo, factor)]
                proc = subprocess.run([os.path.join(bindir, program), "-u", option], input=text,
                                      capture_output=True)
                lines = proc.stdout.decode().splitlines()
                ok = proc.returncode == 0 and len(lines) == 1
                got = [int(f) for f in lines[0].split()[:5]] if ok else lines
                if got != want or want[2] != value:
                    failures += 1
                    print(f"network {index}: {program} -u {option}: got {got}, model {want}, "
                          f"flow {value}")
                    if failures <= 3:
                        print(text.decode())
    print(f"{count} networks, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
