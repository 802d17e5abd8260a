#!/usr/bin/env python3
"""Randomised differential test of all eight programs, fastmatch and
fastflow, judged by `verify`.

Usage: differential_test.py BINDIR FAMILIES COUNT SEED

FAMILIES is "bipartite", "network" or "capacitated". Bipartite problems come from genbip
(every family, small random parameters, some with an empty side, half of
them renumbered at random by --shuffle); each is solved by the five matching
programs (with -i, -g and several -u values drawn per run), by match with an
output file listing its matching, by both unit-flow programs on its matching
reduction (node numbers shifted for a drawn -o), and by the matching
programs on that reduction read as a "max" network; fastmatch, with a drawn
algorithm (and at times on two threads), solves the one or the other and writes its matching and vertex
cover files. Networks come from gennet; both unit-flow programs solve each
with a drawn -o. fastflow solves every reduction and network too, with a
drawn algorithm (at times -t 2), and writes its flow and cut files. Capacitated networks
come from gennet's families with capacities (small, with capacity ranges
from 0 ... 0 to 10^12) and from odd shapes (capacities 0 and near 2^62,
parallel and antiparallel arcs, self-loops); the unit-flow programs solve
their unit version, and fastflow the network itself (or, with --unit drawn,
its unit version), refusing exactly those whose capacities out of the
source or into the sink pass 2^62. Every claimed size,
listing, flow value, result file and cut goes to one `verify -` run, which
checks them against its own maximum matching with a vertex cover, and its
own flow with a cut, of the same size.
"""

import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

MATCHING = ["augrelabel", "pushmatch-lifo", "pushmatch-fifo", "depthmatch", "breadthmatch"]
FASTMATCH_STARTS = ["", "ks+", "greedy+", "none+"]
FASTMATCH_SEARCHES = ["pf", "pr", "pr-either", "pf-pr", "pf-both", "pf-interleaved", "sweeps"]
FASTMATCH_SIDES = ["", "/first", "/second"]
UNITFLOW = ["unitflow-lifo", "unitflow-fifo"]
# A report line; match's seconds may read -0.00, fastmatch's and fastflow's
# carry three decimals.
REPORT = re.compile(r"^ *(-?\d+) +(-?\d+) +(-?\d+) +\d+ +\d+ +-?\d+\.\d\d\d?$")
# Two threads on every problem, however small: the parallel solve, judged
# as the serial one is. fastmatch must then say that it used them; fastflow
# uses them for a matching reduction alone, and says which it did.
THREADS = ["-t", "2", "--threads-from", "0"]
FASTMATCH_NOTE = re.escape("fastmatch: solved on 2 threads; the seconds are wall-clock time\n")
THREAD_NOTE = re.compile(r"fastflow: solved on (2 threads; the seconds are wall-clock|"
                         r"one thread; the seconds are CPU) time\n")
# fastflow runs with each algorithm; its flow and cut files are verified too.
FASTFLOW_ALGORITHMS = ["auto", "auto", "hybrid", "dinic", "push-relabel", "highest-label",
                       "boykov-kolmogorov", "pseudoflow", "partial-augment"]
CAPACITY_LIMIT = 2 ** 62
OVERFLOW = "the capacities out of the source or into the sink add up to more than 2^62\n"
# Arcs that take a matching reduction out of the matching shape: the
# letters stand for the source, a first-side node, another first-side
# node, a second-side node, another one, and the sink.
SHAPE_BREAKERS = ["y x", "s y", "x t", "x x2", "y y2", "x x", "s x", "t x", "x s", "s t", "y t"]


def bipartite_family(rng):
    side = lambda: rng.choice([1, 2, rng.randint(1, 12), rng.randint(10, 80)])
    family = rng.choice(["uniform", "power-law", "long-paths", "hex-grid", "hidden-perfect",
                         "few-to-many", "ks-hard", "power-law-both", "components", "deficient",
                         "banded", "block-diagonal", "grid", "mesh"])
    left, right = side(), side()
    options = {
        "uniform": ["--left", left, "--right", right, "--degree", rng.choice([0, 1, 2, 3, 6])],
        "power-law": ["--left", left, "--right", max(right, 1), "--degree", rng.randint(1, 5),
                      "--exponent", rng.choice([0, 0.5, 1, 2])],
        "long-paths": ["--blocks", rng.randint(1, 12), "--block-size", rng.randint(1, 5)],
        "hex-grid": ["--rows", rng.randint(1, 8), "--width", rng.randint(1, 8)],
        "hidden-perfect": ["--size", rng.randint(1, 60), "--noise", rng.choice([0, 1, 3])],
        "few-to-many": ["--left", max(left, 1), "--right", rng.randint(1, max(left, 1)),
                        "--degree", rng.randint(1, 4)],
        "ks-hard": ["--size", max(left, 2), "--dense", rng.randint(1, max(left, 2) - 1),
                    "--degree", rng.randint(1, 6)],
        "power-law-both": ["--left", left, "--right", right, "--degree", rng.randint(1, 5),
                           "--exponent", rng.choice([0, 0.5, 1, 2])],
        "components": ["--components", rng.randint(1, 12), "--size", rng.randint(1, 6),
                       "--degree", rng.randint(1, 4)],
        "deficient": ["--size", left, "--free", rng.choice([0, 0.1, 0.2, 1 / 3]),
                      "--degree", rng.randint(1, 4)],
        "banded": ["--size", left, "--band", rng.randint(0, 4), "--fill", rng.choice([0.2, 0.6, 1])],
        "block-diagonal": ["--blocks", rng.randint(1, 6), "--block-size", rng.randint(1, 8),
                           "--degree", rng.randint(1, 3), "--coupling", rng.randint(0, 3),
                           "--coupling-degree", rng.randint(1, 6)],
        "grid": ["--rows", rng.randint(1, 8), "--width", rng.randint(1, 8),
                 "--diagonal", rng.choice([0, 0.5, 1])],
        "mesh": ["--rows", rng.randint(2, 7), "--width", rng.randint(2, 7)],
    }[family]
    order = rng.choice([[], [], ["--shuffle"], ["--shuffle"], ["--order", "breadth-first"],
                        ["--order", "degree"], ["--order", "reversed"]])
    return [family] + [str(o) for o in options] + order


def network_family(rng):
    """A unit network of gennet; the capacitated families' with --unit."""
    family = rng.choice(["random", "layered", "cyclic", "rmf", "ak", "vision"])
    nodes = rng.randint(3, 60)
    terminal = rng.randint(1, nodes)
    options = {
        "random": ["--nodes", nodes, "--arcs", 2 * terminal + rng.randint(0, 4 * nodes),
                   "--terminal-arcs", terminal],
        "layered": ["--layers", rng.randint(1, 6), "--width", rng.randint(1, 10),
                    "--degree", rng.randint(1, 4)],
        "cyclic": ["--nodes", nodes, "--arcs", 2 * terminal + nodes + rng.randint(0, 3 * nodes),
                   "--terminal-arcs", terminal,
                   "--reverse", rng.choice([0, 0.3, 1]), "--parallel", rng.choice([0, 0.2, 1])],
        "rmf": ["--side", rng.randint(1, 4), "--frames", rng.randint(2, 5), "--unit"],
        "ak": ["--length", rng.randint(1, 8), "--copies", rng.randint(1, 3), "--unit"],
        "vision": ["--rows", rng.randint(1, 7), "--width", rng.randint(1, 7),
                   "--neighbours", rng.choice([4, 8]), "--region", rng.randint(1, 4), "--unit"],
    }[family]
    return [family] + [str(o) for o in options]


def capacitated_family(rng):
    """A network of one of gennet's families with capacities."""
    family = rng.choice(["rmf", "random-level", "ak", "vision"])
    low = rng.choice([0, 1, 1, 100])
    high = low + rng.choice([0, 1, 9, 1000, 10 ** 12])
    options = {
        "rmf": ["--side", rng.randint(1, 4), "--frames", rng.randint(2, 5)],
        "random-level": ["--layers", rng.randint(1, 6), "--width", rng.randint(1, 10),
                         "--degree", rng.randint(1, 4)],
        "ak": ["--length", rng.randint(1, 8), "--copies", rng.randint(1, 3)],
        "vision": ["--rows", rng.randint(1, 7), "--width", rng.randint(1, 7),
                   "--neighbours", rng.choice([4, 8]), "--region", rng.randint(1, 4)],
    }[family]
    return [family] + [str(o) for o in options + ["--min-capacity", low, "--max-capacity", high]]


def odd_capacitated(rng):
    """Capacities 0, small and near 2^62 on self-loops, parallel and
    antiparallel arcs, an unreachable sink or the source as the sink."""
    nodes = rng.randint(1, 7)
    capacity = lambda: rng.choice([0, 1, rng.randint(0, 9), rng.randint(0, 10 ** 6),
                                   CAPACITY_LIMIT - rng.randint(0, 2),
                                   CAPACITY_LIMIT // rng.randint(2, 5)])
    arcs = [(rng.randint(1, nodes), rng.randint(1, nodes)) for _ in range(rng.randint(1, 14))]
    arcs += [rng.choice([a, a[::-1]]) for a in arcs[:rng.randint(0, len(arcs))]]
    source, sink = rng.randint(1, nodes), rng.randint(1, nodes)
    lines = ["p max %d %d" % (nodes, len(arcs)), "n %d s" % source, "n %d t" % sink]
    return "\n".join(lines + ["a %d %d %d" % (u, v, capacity()) for u, v in arcs]) + "\n"


def overflows(text):
    """True when the capacities out of the source, or into the sink, of a
    "max" network add up past 2^62 (self-loops aside), as fastflow refuses."""
    ends, arcs = {}, []
    for line in text.splitlines():
        words = line.split()
        if words[:1] == ["n"]:
            ends[words[2]] = int(words[1])
        elif words[:1] == ["a"]:
            arcs.append(tuple(int(w) for w in words[1:4]))
    out = sum(c for u, v, c in arcs if u == ends["s"] and u != v)
    into = sum(c for u, v, c in arcs if v == ends["t"] and u != v)
    return max(out, into) > CAPACITY_LIMIT


def odd_bipartite(rng):
    """Shapes the generator does not make: an empty side, isolated vertices,
    edges repeated."""
    left, right = rng.randint(0, 6), rng.randint(0, 6)
    if left + right == 0:
        left = 1
    edges = [(rng.randint(1, left), rng.randint(1, right))
             for _ in range(rng.randint(0, 12) if left and right else 0)]
    edges += edges[:rng.randint(0, len(edges))]
    lines = ["p bipartite-matching %d %d %d" % (left, right, len(edges))]
    return "\n".join(lines + ["a %d %d" % e for e in edges]) + "\n"


def odd_network(rng):
    """Self-loops, parallel and backward arcs, an unreachable sink, or the
    source as the sink."""
    nodes = rng.randint(1, 8)
    arcs = [(rng.randint(1, nodes), rng.randint(1, nodes)) for _ in range(rng.randint(1, 20))]
    source, sink = rng.randint(1, nodes), rng.randint(1, nodes)
    lines = ["p %s %d %d" % (rng.choice(["max", "unit-flow"]), nodes, len(arcs)),
             "n %d s" % source, "n %d t" % sink]
    return "\n".join(lines + ["a %d %d 1" % a for a in arcs]) + "\n"


def matching_options(rng):
    words = []
    if rng.random() < 0.5:
        words.append("-i")
    if rng.random() < 0.2:
        words.append("-g")
    if rng.random() < 0.7:
        words.append("-u" + rng.choice(["0", "0.5", "1", "2", "10"]))
    return words


def shifted(text, offset):
    """The network text with every node number moved for -o offset."""
    def shift(line):
        words = line.split()
        if words[:1] == ["n"]:
            words[1] = str(int(words[1]) - 1 + offset)
        elif words[:1] == ["a"]:
            words[1:3] = [str(int(w) - 1 + offset) for w in words[1:3]]
        return " ".join(words)
    return "\n".join(shift(line) for line in text.splitlines()) + "\n"


class Run:
    def __init__(self, bindir, workdir):
        self.bindir, self.workdir = bindir, workdir
        self.claims, self.faults, self.files = [], [], 0

    def save(self, text):
        self.files += 1
        path = os.path.join(self.workdir, "p%d" % self.files)
        with open(path, "w") as f:
            f.write(text)
        return path

    def generate(self, program, args):
        return subprocess.run([os.path.join(self.bindir, program)] + args, check=True,
                              capture_output=True, text=True).stdout

    def solve(self, program, path, args, refusal=None, note=None):
        """Column 3 of the program's report line, or None after noting a
        fault; None, and a fault unless it is so, when the program must
        refuse the problem with the message `refusal`. Standard error must
        be empty, or match the regular expression `note`."""
        with open(path) as stdin:
            done = subprocess.run([os.path.join(self.bindir, program)] + args, stdin=stdin,
                                  capture_output=True, text=True)
        if refusal is not None:
            if (done.returncode, done.stdout, done.stderr) != (1, refusal, ""):
                self.faults.append("%s %s < %s: status %d, stdout %r, stderr %r, not refused" % (
                    program, " ".join(args), path, done.returncode, done.stdout, done.stderr))
            return None
        lines = done.stdout.splitlines()
        found = REPORT.match(lines[-1]) if len(lines) == 1 else None
        quiet = re.fullmatch(note, done.stderr) if note else not done.stderr
        if done.returncode != 0 or found is None or not quiet:
            self.faults.append("%s %s < %s: status %d, stdout %r, stderr %r" % (
                program, " ".join(args), path, done.returncode, done.stdout, done.stderr))
            return None
        return found.group(3)

    def fastflow(self, network, offset, rng, extra=(), refusal=None):
        """fastflow (with `extra` options) on the network with its flow and
        cut files, and claims of both files; returns its value."""
        flow, cut = network + ".flow", network + ".cut"
        args = ["-a", rng.choice(FASTFLOW_ALGORITHMS), "-o", str(offset), "-w", flow, "-c", cut]
        note = None
        if refusal is None and rng.random() < 0.3:
            args, note = args + THREADS, THREAD_NOTE
        value = self.solve("fastflow", network, args + list(extra), refusal, note)
        if value is not None:
            self.claims.append("flowfile %s %s %d" % (network, flow, offset))
            self.claims.append("cut %s %s %s %d" % (network, flow, cut, offset))
        return value

    def claim(self, kind, path, value, *rest):
        if value is not None:
            self.claims.append(" ".join([kind, path, value] + list(rest)))


def reduction(text):
    """The matching reduction of a bipartite problem text: source 1, the first
    side, the second side, sink last, every arc of capacity 1."""
    header = [w for w in text.splitlines() if w.startswith("p")][0].split()
    left, right = int(header[2]), int(header[3])
    sink = left + right + 2
    arcs = ["%d %d" % (1, 1 + u) for u in range(1, left + 1)]
    for line in text.splitlines():
        if line.startswith("a"):
            u, v = line.split()[1:3]
            arcs.append("%d %d" % (1 + int(u), 1 + left + int(v)))
    arcs += ["%d %d" % (1 + left + v, sink) for v in range(1, right + 1)]
    lines = ["p max %d %d" % (sink, len(arcs)), "n 1 s", "n %d t" % sink]
    return "\n".join(lines + ["a %s 1" % a for a in arcs]) + "\n"


def fastmatch_algorithm(rng):
    """The automatic plan or a drawn start, search and side."""
    if rng.random() < 0.3:
        return "auto"
    return (rng.choice(FASTMATCH_STARTS) + rng.choice(FASTMATCH_SEARCHES) +
            rng.choice(FASTMATCH_SIDES))


def broken_reduction(text, rng):
    """The reduction text with one more arc that breaks the matching shape
    (or, on an empty side, runs from the source to the sink)."""
    header = [w for w in text.splitlines() if w.startswith("p")][0].split()
    nodes, arcs = int(header[2]), int(header[3])
    left = sum(1 for line in text.splitlines() if line.startswith("a 1 "))
    right = nodes - 2 - left
    node = {"s": 1, "t": nodes}
    breaker = "s t"
    if left > 0 and right > 0:
        breaker = rng.choice(SHAPE_BREAKERS)
        node.update(x=rng.randint(2, left + 1), x2=rng.randint(2, left + 1),
                    y=rng.randint(left + 2, nodes - 1), y2=rng.randint(left + 2, nodes - 1))
    tail, head = (node[w] for w in breaker.split())
    lines = [("p max %d %d" % (nodes, arcs + 1)) if line.startswith("p") else line
             for line in text.splitlines()]
    return "\n".join(lines + ["a %d %d 1" % (tail, head)]) + "\n"


def bipartite_round(run, rng, seed):
    """The matching programs on the problem or on its reduction read as a
    "max" network, match with a listing, the unit-flow programs on the
    reduction."""
    if rng.random() < 0.15:
        text = odd_bipartite(rng)
    else:
        text = run.generate("genbip", bipartite_family(rng) + ["--seed", str(seed)])
    problem = run.save(text)
    network = run.save(reduction(text))
    form = rng.choice([problem, network])
    for program in MATCHING:
        run.claim("size", form, run.solve(program, form, matching_options(rng)))
    fast_round(run, rng, form, seed)
    listing = os.path.join(run.workdir, "m%d" % seed)
    if run.solve("match", problem, [listing]) is not None:
        run.claims.append("matching %s %s" % (problem, listing))
    offset = rng.choice([0, 1, 1, 5])
    moved = run.save(shifted(reduction(text), offset))
    for program in UNITFLOW:
        value = run.solve(program, moved, ["-o%d" % offset] + (["-g"] if rng.random() < 0.2 else []))
        run.claim("size", problem, value)
    run.claim("size", problem, run.fastflow(moved, offset, rng))
    broken = run.save(shifted(broken_reduction(reduction(text), rng), offset))
    run.claim("flow", broken, run.fastflow(broken, offset, rng), str(offset))


def fast_round(run, rng, form, seed):
    """fastmatch's size, matching file and vertex cover file."""
    pairs = os.path.join(run.workdir, "w%d" % seed)
    cover = os.path.join(run.workdir, "c%d" % seed)
    args = ["-a", fastmatch_algorithm(rng), "-w", pairs, "-c", cover]
    note = None
    if rng.random() < 0.4:
        args, note = args + THREADS, FASTMATCH_NOTE
    size = run.solve("fastmatch", form, args, note=note)
    run.claim("size", form, size)
    if size is not None:
        run.claims.append("matchfile %s %s" % (form, pairs))
        run.claims.append("cover %s %s %s" % (form, pairs, cover))


def saved_network(run, rng, seed, odd, odd_share, family):
    """A network of an odd shape (odd_share of the rounds) or of gennet's
    `family`, saved with its node numbers shifted to start at a random
    offset: its text, its path and the offset."""
    if rng.random() < odd_share:
        text = odd(rng)
    else:
        text = run.generate("gennet", family(rng) + ["--seed", str(seed)])
    offset = rng.choice([0, 1, 1, 3])
    return text, run.save(shifted(text, offset)), offset


def network_round(run, rng, seed):
    _, network, offset = saved_network(run, rng, seed, odd_network, 0.2, network_family)
    for program in UNITFLOW:
        args = ["-o", str(offset)] + (["-u" + rng.choice(["0", "1", "3"])] if rng.random() < 0.5 else [])
        run.claim("flow", network, run.solve(program, network, args), str(offset))
    run.claim("flow", network, run.fastflow(network, offset, rng), str(offset))


def capacitated_round(run, rng, seed):
    """The unit-flow programs on the unit version, fastflow on the network or,
    with --unit, on the unit version too."""
    text, network, offset = saved_network(run, rng, seed, odd_capacitated, 0.3,
                                          capacitated_family)
    for program in UNITFLOW:
        run.claim("unitflow", network, run.solve(program, network, ["-o", str(offset)]),
                  str(offset))
    unit = rng.random() < 0.25
    refusal = OVERFLOW if not unit and overflows(text) else None
    value = run.fastflow(network, offset, rng, ["--unit"] if unit else [], refusal)
    run.claim("unitflow" if unit else "flow", network, value, str(offset))


def main():
    bindir, families, count, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    rng = random.Random(seed)
    one_round = {"bipartite": bipartite_round, "network": network_round,
                 "capacitated": capacitated_round}[families]
    workdir = tempfile.mkdtemp(prefix="differential-")
    run = Run(bindir, workdir)
    for i in range(count):
        one_round(run, rng, seed * 100000 + i)
    verdict = subprocess.run([os.path.join(bindir, "verify"), "-"], input="\n".join(run.claims),
                             capture_output=True, text=True)
    faults = run.faults
    if verdict.returncode != 0:  # its lines: each fault, then the summary
        faults += verdict.stdout.splitlines() + verdict.stderr.splitlines()
    if faults or verdict.returncode != 0:
        for fault in faults[:20]:
            print(fault)
        print("FAILED: %d faults in %d problems; files kept in %s" % (len(faults), count, workdir))
        return 1
    shutil.rmtree(workdir)
    print("%d %s problems, %d claims verified" % (count, families, len(run.claims)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
