#!/usr/bin/env python3
"""The Dulmage-Mendelsohn decomposition of `fastmatch -d` against CSparse's
cs_dmperm (peer-csparse-dm), judged by `verify dm`.

Usage: dm_differential_test.py BINDIR COUNT SEED

COUNT problems: genbip's families with small random parameters (half of them
shuffled), and matrices made here: empty, one-sided, tall, wide, and block
triangular ones with planted strongly connected blocks; then two shuffled
genbip problems of 70,000 rows. On each, both
decompositions must have the same structural rank, the same coarse sets
(R1, C0 + C1, R2, C2, R3 + R0, C3: the split of C0 + C1 and of R3 + R0
follows the matching) and the same fine blocks as sets. `verify dm` must
accept fastmatch's file and reject its mutations (two rows swapped across
a block boundary, two blocks merged, a block split in two). cs_dmperm's
files are compared, not verified: they do not always line up the matched
pairs of R1 and C1 (on a 2 x 7 matrix it put a matched column in C0 and an
empty one in C1), which the format promises and the verifier relies on.
Without peer-csparse-dm the comparison is skipped with a message and the
verifier's part still runs.
"""

import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from differential_test import bipartite_family  # noqa: E402


# Large enough and numbered at random: the component search walks a copy of
# the square part (fastcore/dulmage_mendelsohn_work.h, Work::records).
SCATTERED = [["banded", "--size", "70000", "--band", "4", "--fill", "0.45", "--shuffle"],
             ["block-diagonal", "--blocks", "1400", "--block-size", "50", "--degree", "4",
              "--coupling", "20", "--coupling-degree", "1000", "--shuffle"]]


def planted_blocks(rng):
    """A square or near-square matrix whose fine blocks are planted: cycles
    inside random blocks, random entries above them, a few extra rows or
    columns."""
    sizes = [rng.randint(1, 6) for _ in range(rng.randint(1, 8))]
    n = sum(sizes)
    edges, start = set(), 0
    for size in sizes:
        for k in range(size):
            edges.add((start + k, start + k))
            edges.add((start + k, start + (k + 1) % size))
        start += size
    for _ in range(rng.randint(0, 2 * n)):
        i, j = sorted((rng.randrange(n), rng.randrange(n)))
        edges.add((i, j))
    rows, cols = n + rng.choice([0, 0, 1, 3]), n + rng.choice([0, 0, 1, 3])
    edges |= {(rng.randrange(rows), rng.randrange(cols)) for _ in range(rng.randint(0, 4))}
    return problem_text(rows, cols, sorted(edges, key=lambda _: rng.random()))


def odd_shape(rng):
    rows, cols = rng.choice([(0, 4), (5, 0), (1, 1), (7, 2), (2, 7), (30, 3), (3, 30)])
    edges = [(rng.randrange(rows), rng.randrange(cols))
             for _ in range(rng.randint(0, rows * cols // 2 + 1))] if rows and cols else []
    return problem_text(rows, cols, edges)


def problem_text(rows, cols, edges):
    lines = [f"p bipartite-matching {rows} {cols} {len(edges)}"]
    lines += [f"a {i + 1} {j + 1}" for i, j in edges]
    return "\n".join(lines) + "\n"


def read_dm(path):
    """(header words by name, {letter: list of 0-based values})."""
    header, values = {}, {"p": [], "q": [], "r": [], "s": []}
    with open(path) as f:
        for line in f:
            words = line.split()
            if words[0] == "c":
                header[" ".join(w for w in words[1:] if not w.isdigit())] = [
                    int(w) for w in words[1:] if w.isdigit()]
            else:
                values[words[0]].append(int(words[1]) - 1)
    return header, values


def canonical(path):
    """What every maximum matching gives alike: rank, coarse sets, fine blocks."""
    header, v = read_dm(path)
    rr = [b - 1 for b in header["coarse rows"]]
    cc = [b - 1 for b in header["coarse columns"]]
    p, q = v["p"], v["q"]
    coarse = (frozenset(p[rr[0]:rr[1]]), frozenset(q[cc[0]:cc[2]]), frozenset(p[rr[1]:rr[2]]),
              frozenset(q[cc[2]:cc[3]]), frozenset(p[rr[2]:]), frozenset(q[cc[3]:]))
    blocks = frozenset((frozenset(p[v["r"][b]:v["r"][b + 1]]), frozenset(q[v["s"][b]:v["s"][b + 1]]))
                       for b in range(len(v["r"]) - 1))
    return header["structural rank"], coarse, blocks


def mutations(path, rng):
    """(name, text) of files that break the decomposition in `path`."""
    with open(path) as f:
        lines = f.read().splitlines()
    header, v = read_dm(path)
    first = {letter: next(i for i, line in enumerate(lines) if line.startswith(letter + " "))
             for letter in "pqrs" if v[letter]}
    found = []
    r = v["r"]
    nb = len(r) - 1
    # A row swapped with one of another block, where the rows' entries tell
    # them apart (two free rows or two empty ones may swap harmlessly, so
    # only the first and last row of a matrix with a block of rows each
    # side, whose diagonal entries pin them, are swapped).
    square = [b for b in range(nb) if r[b + 1] - r[b] > 0 and v["s"][b + 1] - v["s"][b] > 0]
    if len(square) >= 2 and header["structural rank"][0] == len(v["p"]) == len(v["q"]):
        a, b = first["p"], first["p"] + len(v["p"]) - 1
        swapped = list(lines)
        swapped[a], swapped[b] = swapped[b], swapped[a]
        found.append(("swapped row", swapped))
    inner = [b for b in range(1, nb)]
    if inner:
        b = rng.choice(inner)
        merged = [line for i, line in enumerate(lines)
                  if i not in (first["r"] + b, first["s"] + b)]
        merged = [f"c blocks {nb - 1}" if line.startswith("c blocks") else line for line in merged]
        found.append(("merged blocks", merged))
    splittable = [b for b in range(nb) if r[b + 1] - r[b] >= 2
                  and v["s"][b + 1] - v["s"][b] == r[b + 1] - r[b]]
    if splittable:
        b = rng.choice(splittable)
        split = list(lines)
        split.insert(first["s"] + b + 1, f"s {v['s'][b] + 2}")
        split.insert(first["r"] + b + 1, f"r {r[b] + 2}")
        split = [f"c blocks {nb + 1}" if line.startswith("c blocks") else line for line in split]
        found.append(("split block", split))
    return [(name, "\n".join(text) + "\n") for name, text in found]


class Runner:
    def __init__(self, bindir, workdir):
        self.bindir, self.workdir, self.count = bindir, workdir, 0

    def path(self, suffix):
        self.count += 1
        return os.path.join(self.workdir, f"{self.count}.{suffix}")

    def run(self, program, args, stdin_path):
        with open(stdin_path, "rb") as stdin:
            proc = subprocess.run([os.path.join(self.bindir, program), *args], stdin=stdin,
                                  capture_output=True, text=True)
        if proc.returncode != 0:
            raise SystemExit(f"{program} {' '.join(args)} < {stdin_path}: status "
                             f"{proc.returncode}\n{proc.stderr}")


def main():
    bindir, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    rng = random.Random(seed)
    peer = os.path.exists(os.path.join(bindir, "peer-csparse-dm"))
    if not peer:
        print("peer-csparse-dm not built (no CSparse): comparing with cs_dmperm is skipped")
    failures, claims = [], []
    with tempfile.TemporaryDirectory() as workdir:
        run = Runner(bindir, workdir)
        for k in range(count + len(SCATTERED)):
            problem = run.path("txt")
            kind = rng.random() if k < count else 0
            if kind < 0.6:
                family = bipartite_family(rng) if k < count else SCATTERED[k - count]
                with open(problem, "wb") as out:
                    subprocess.run([os.path.join(bindir, "genbip"), *family, "--seed", str(k)],
                                   stdout=out, check=True)
            else:
                with open(problem, "w") as out:
                    out.write(planted_blocks(rng) if kind < 0.9 else odd_shape(rng))
            ours, theirs = run.path("dm"), run.path("dm")
            run.run("fastmatch", ["-d", ours], problem)
            claims.append(f"dm {problem} {ours}")
            for name, text in mutations(ours, rng):
                mutated = run.path("dm")
                with open(mutated, "w") as out:
                    out.write(text)
                claims.append(f"reject {name}: dm {problem} {mutated}")
            if not peer:
                continue
            run.run("peer-csparse-dm", ["-d", theirs], problem)
            if canonical(ours) != canonical(theirs):
                failures.append(f"{problem}: fastmatch -d and cs_dmperm differ")
        failures += judge(bindir, claims)
    for failure in failures:
        print(failure)
    print(f"{count} problems, {len(claims)} verifier claims, {len(failures)} failures")
    return 1 if failures else 0


def judge(bindir, claims):
    """Runs the claims through `verify -`, the accepted ones in one run and
    the mutated ones in another: each of those must print its own fault."""
    failures = []
    rejects = [c.split(": ", 1)[1] for c in claims if c.startswith("reject ")]
    accepts = [c for c in claims if not c.startswith("reject ")]
    for commands, status in ((accepts, 0), (rejects, 1)):
        if not commands:
            continue
        proc = subprocess.run([os.path.join(bindir, "verify"), "-"], input="\n".join(commands),
                              capture_output=True, text=True)
        # A false claim prints "CHECK : FAULT"; a summary line closes the run.
        faults = [line for line in proc.stdout.splitlines() if " : " in line]
        if proc.returncode != status or len(faults) != (len(commands) if status else 0):
            failures.append(f"verify - on {len(commands)} claims expecting status {status}: "
                            f"status {proc.returncode}, {len(faults)} faults\n{proc.stderr}"
                            + "\n".join(faults[:5] if not status else []))
        if status:
            failed = {line.split(" : ")[0].strip() for line in faults}
            failures += [f"verify {c}: accepted a mutated file" for c in commands if c not in failed]
    return failures


if __name__ == "__main__":
    sys.exit(main())
