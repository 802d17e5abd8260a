#!/usr/bin/env python3
"""augrelabel against the oracle and the step model on generated problems.

Usage: augrelabel_oracle_test.py BINDIR [COUNT]
Every problem runs with several global-update factors; the run must print
exactly its report line (no failed maximality check) with the oracle's
matching size and the model's counters.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import models  # noqa: E402
import oracle  # noqa: E402

FACTORS = {"1": 1.0, "0": 1073741823.0, "0.05": 0.05, "2": 2.0, "-1": -1.0}


def sparse_problem(rng):
    """A larger sparse problem, where searches dead-end and labels go stale."""
    n1, n2 = rng.randint(20, 150), rng.randint(20, 150)
    edges = [(rng.randint(1, n1), rng.randint(1, n2)) for _ in range(int(n1 * rng.uniform(1, 3)))]
    return n1, n2, edges


def main():
    bindir = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    program = os.path.join(bindir, "augrelabel")
    rng = oracle.seeded(2026)
    failures = 0
    for index in range(count):
        n1, n2, edges = (sparse_problem if index % 4 == 0 else oracle.random_bipartite)(rng)
        if n1 + n2 + len(edges) == 0:
            continue
        text = oracle.bipartite_text(n1, n2, edges)
        size = oracle.max_matching(n1, n2, edges)
        lists, source, sink = models.matching_lists(n1, n2, edges)
        for option, factor in FACTORS.items():
            want = [n1 + n2, len(edges), *models.augrelabel(lists, source, sink, factor)]
            proc = subprocess.run([program, "-u", option], input=text.encode(),
                                  capture_output=True)
            lines = proc.stdout.decode().splitlines()
            got = [int(f) for f in lines[-1].split()[:5]] if proc.returncode == 0 and lines else None
            if len(lines) != 1 or got != want or want[2] != size:
                failures += 1
                print(f"problem {index} -u {option}: got {got}, model {want}, size {size}; "
                      f"output {lines}")
                print(text)
    print(f"{count} problems, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
