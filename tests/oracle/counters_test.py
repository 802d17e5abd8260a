#!/usr/bin/env python3
"""Every matching program's whole report line against the step models.

The standalone matcher reads the same problems and is checked too.

Usage: counters_test.py BINDIR [COUNT]
For each generated problem the oracle gives the matching size and the step
models give every counter; each program, under each of its option sets, must
print exactly those figures.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import models  # noqa: E402
import oracle  # noqa: E402

NO_UPDATE = 1073741823.0


def runs(n1, n2, edges):
    """(program, arguments, model counters) for every run of one problem."""
    lists, source, sink = models.matching_lists(n1, n2, edges)
    yield "match", [], models.match(n1, n2, edges)
    yield "depthmatch", [], models.depthmatch(lists, source, sink)
    yield "breadthmatch", [], models.breadthmatch(lists, source, sink)
    for option, factor in (("1", 1.0), ("0", NO_UPDATE), ("0.1", 0.1), ("-1", -1.0)):
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


def main():
    bindir = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    rng = oracle.seeded(77)
    failures = 0
    for index in range(count):
        n1, n2, edges = (sparse_problem if index % 4 == 0 else oracle.random_bipartite)(rng)
        if n1 + n2 + len(edges) == 0:
            continue
        text = oracle.bipartite_text(n1, n2, edges).encode()
        size = oracle.max_matching(n1, n2, edges)
        for program, args, counters in runs(n1, n2, edges):
            want = [n1 + n2, len(edges), *counters]
            proc = subprocess.run([os.path.join(bindir, program), *args], input=text,
                                  capture_output=True)
            lines = proc.stdout.decode().splitlines()
            got = [int(f) for f in lines[-1].split()[:5]] if proc.returncode == 0 and lines else None
            if len(lines) != 1 or got != want or counters[0] != size:
                failures += 1
                print(f"problem {index}: {program} {' '.join(args)}: got {got}, "
                      f"model {want}, size {size}")
                if failures <= 3:
                    print(text.decode())
    print(f"{count} problems, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
