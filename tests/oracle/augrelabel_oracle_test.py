#!/usr/bin/env python3
"""augrelabel's matching size against the oracle on generated problems.

Usage: augrelabel_oracle_test.py BINDIR [COUNT]
Every problem runs with several global-update factors; the run must print
exactly its report line (no failed maximality check) with the oracle's size.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402

FACTORS = ([], ["-u", "0"], ["-u", "0.05"], ["-u", "2"], ["-u", "-1"])


def main():
    bindir = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    program = os.path.join(bindir, "augrelabel")
    rng = oracle.seeded(2026)
    failures = 0
    for index in range(count):
        n1, n2, edges = oracle.random_bipartite(rng)
        if n1 + n2 + len(edges) == 0:
            continue
        text = oracle.bipartite_text(n1, n2, edges)
        want = oracle.max_matching(n1, n2, edges)
        for args in FACTORS:
            proc = subprocess.run([program, *args], input=text.encode(), capture_output=True)
            lines = proc.stdout.decode().splitlines()
            got = int(lines[-1].split()[2]) if proc.returncode == 0 and lines else None
            if len(lines) != 1 or got != want:
                failures += 1
                print(f"problem {index} {args}: size {got}, expected {want}; output {lines}")
                print(text)
    print(f"{count} problems, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
