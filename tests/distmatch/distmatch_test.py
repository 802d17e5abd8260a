#!/usr/bin/env python3
"""Differential test of distmatch with 1 and 4 ranks.

Usage: distmatch_test.py BINDIR

Every genbip family and the odd shapes (an empty side, isolated vertices,
parallel edges) are solved with 1 and with 4 ranks; a "max" network of
matching shape and Matrix Market files (general and symmetric) with 4.
`verify size` judges every size and `verify matchfile` every -w file (its
pairs are edges, no vertex twice, as many as the size, and maximum); the
file's header and row order are checked here. Faulty inputs whose
fault lies in a later rank's part of the file must end with the message
augrelabel prints for them, once, and exit status 1. A -w file that is
the problem is refused; one behind a symlink, with hard links, or a FIFO is
written where it is. Problems larger than memory and rank counts larger
than the problem or the machine can use are refused before they start.
"""

import gzip
import os
import random
import re
import shutil
import stat
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

REPORT = re.compile(r"^ *(\d+) +(\d+) +(\d+) +\d+ +\d+ +\d+\.\d\d$")
FAMILIES = [
    ["uniform", "--left", "300", "--right", "250", "--degree", "3"],
    ["power-law", "--left", "300", "--right", "300", "--degree", "3", "--exponent", "1"],
    ["long-paths", "--blocks", "40", "--block-size", "3"],
    ["hex-grid", "--rows", "12", "--width", "15"],
    ["hidden-perfect", "--size", "200", "--noise", "2"],
    ["few-to-many", "--left", "300", "--right", "40", "--degree", "2"],
]


class Check:
    def __init__(self, bindir):
        self.bindir = bindir
        self.workdir = tempfile.mkdtemp(prefix="distmatch-")
        self.claims, self.faults, self.files = [], [], 0

    def save(self, text, suffix=".txt"):
        self.files += 1
        path = os.path.join(self.workdir, "p%d%s" % (self.files, suffix))
        with open(path, "w") as f:
            f.write(text)
        return path

    def run(self, program, args, stdin=None):
        with open(stdin or os.devnull) as source:
            return subprocess.run([os.path.join(self.bindir, program)] + args, stdin=source,
                                  capture_output=True, text=True, timeout=120)

    def solve(self, path, ranks, edges, sides, claim_path=None):
        """distmatch on `path`, a problem with the list `edges` between
        `sides`; its size is claimed against `claim_path`."""
        listing = path + ".m%d" % ranks
        done = self.run("distmatch", ["-np", str(ranks), "-w", listing, path])
        match = REPORT.match(done.stdout)
        if done.returncode != 0 or not match or done.stdout.count("\n") != 1:
            self.faults.append("%s, %d ranks: status %d, output %r %r"
                               % (path, ranks, done.returncode, done.stdout, done.stderr[-300:]))
            return None
        size = int(match.group(3))
        self.claims.append("size %s %d" % (claim_path or path, size))
        # A network's pairs carry its node numbers, so it is its own problem
        # here; a Matrix Market file is judged on its bipartite twin.
        self.claims.append("matchfile %s %s" % (claim_path if path.endswith(".mtx") else path,
                                                 listing))
        self.check_listing(listing, size, edges, sides)
        return match.groups()

    def check_listing(self, listing, size, edges, sides):
        """The header and the row order here; `verify matchfile` judges the
        pairs themselves."""
        with open(listing) as f:
            lines = f.read().splitlines()
        header = [l for l in lines if l.startswith("c ")]
        pairs = [tuple(map(int, l.split())) for l in lines if not l.startswith("c ")]
        wanted = ["c matching of %d + %d vertices, %d edges" % (sides[0], sides[1], len(edges)),
                  "c size %d" % size]
        if header[:2] != wanted:
            self.faults.append("%s: header %r, not %r" % (listing, header[:2], wanted))
        elif pairs != sorted(pairs):
            self.faults.append("%s: pairs not in row order" % listing)

    def verify(self):
        verdict = subprocess.run([os.path.join(self.bindir, "verify"), "-"],
                                 input="\n".join(self.claims), capture_output=True, text=True)
        if verdict.returncode != 0:  # its lines: each fault, then the summary
            self.faults += verdict.stdout.splitlines() + verdict.stderr.splitlines()


def bipartite_text(left, right, edges):
    lines = ["c written by distmatch_test", "p bipartite-matching %d %d %d" % (left, right, len(edges))]
    return "\n".join(lines + ["a %d %d" % e for e in edges]) + "\n"


def parse(text):
    header = next(l for l in text.splitlines() if l.startswith("p")).split()
    edges = [tuple(map(int, l.split()[1:3])) for l in text.splitlines() if l.startswith("a")]
    return int(header[2]), int(header[3]), edges


def odd_shapes(rng):
    isolated = [(rng.randint(1, 40), rng.randint(1, 25)) for _ in range(60)]
    parallel = isolated + isolated[:20] + [(41, 26)] * 3
    tiny = [(1, 1), (2, 1), (3, 2), (3, 2)]
    return [(0, 7, []), (9, 0, []), (5, 5, []), (3, 2, tiny), (60, 30, parallel)]


def network_text(left, right, edges):
    """The matching reduction with arcs in both directions, capacities 1."""
    sink = left + right + 2
    arcs = ["1 %d" % (1 + u) for u in range(1, left + 1)]
    arcs += ["%d %d" % ((1 + u, 1 + left + v) if i % 2 else (1 + left + v, 1 + u))
             for i, (u, v) in enumerate(edges)]
    arcs += ["%d %d" % (sink, 1 + left + v) for v in range(1, right + 1)]
    lines = ["p max %d %d" % (sink, len(arcs)), "n 1 s", "n %d t" % sink]
    return "\n".join(lines + ["a %s 1" % a for a in arcs]) + "\n"


def matrix_market(rows, cols, edges, symmetric):
    kind = "symmetric" if symmetric else "general"
    lines = ["%%%%MatrixMarket matrix coordinate pattern %s" % kind, "% a comment",
             "%d %d %d" % (rows, cols, len(edges))]
    return "\n".join(lines + ["%d %d" % e for e in edges]) + "\n"


def solved_everywhere(check, rng):
    """Runs three at a time: most of a small run is mpirun starting up."""
    texts = [subprocess.run([os.path.join(check.bindir, "genbip")] + family + ["--seed", "7"],
                            capture_output=True, text=True, check=True).stdout
             for family in FAMILIES]
    texts += [bipartite_text(*shape) for shape in odd_shapes(rng)]
    jobs = []
    for text in texts:
        left, right, edges = parse(text)
        path = check.save(text)
        jobs += [(path, ranks, edges, (left, right)) for ranks in (1, 4)]
    left, right, edges = parse(texts[0])
    original = check.save(texts[0])
    arcs = [(1 + u, 1 + left + v) for u, v in edges]
    jobs.append((check.save(network_text(left, right, edges)), 4, arcs, (left, right), original))
    jobs.append((check.save(matrix_market(left, right, edges, False), ".mtx"), 4, edges,
                 (left, right), original))
    square = sorted({(max(u, v), min(u, v)) for u, v in edges if v <= left})
    mirrored = sorted(set(square) | {(v, u) for u, v in square})
    jobs.append((check.save(matrix_market(left, left, square, True), ".mtx"), 4, mirrored,
                 (left, left), check.save(bipartite_text(left, left, mirrored))))
    with ThreadPoolExecutor(3) as pool:
        reports = list(pool.map(lambda job: check.solve(*job), jobs))
    for i in range(0, 2 * len(texts), 2):
        if None not in reports[i:i + 2] and reports[i] != reports[i + 1]:
            check.faults.append("%s: 1 rank %r, 4 ranks %r" % (jobs[i][0], reports[i], reports[i + 1]))


def faulty_inputs(rng):
    """Inputs whose fault lies past the first quarter of the file."""
    edges = [(rng.randint(1, 200), rng.randint(1, 200)) for _ in range(3000)]
    lines = bipartite_text(200, 200, edges).splitlines()
    unknown = lines[:2000] + ["x an unknown line"] + lines[2000:]
    too_many = ([lines[0], "p bipartite-matching 200 200 1500"] + lines[2:2800]
                + ["a 1 999"] + lines[2800:])
    network = network_text(200, 200, edges).splitlines()
    for i in range(10, len(network), 500):
        network[i] = network[i][:-1] + "5"  # capacity warnings before and after the fault
    sources = network[:2600] + ["n 7 s"] + network[2600:]
    sinks = network[:1700] + ["n 9 t"] + network[1700:]
    second_problem = lines[:2500] + ["p bipartite-matching 1 1 1"] + lines[2500:]
    too_few = [lines[0], "p bipartite-matching 200 200 3001"] + lines[2:]
    comments = ["c nothing but comments"] * 500
    texts = (unknown, too_many, sources, sinks, second_problem, too_few, comments, [])
    return ["\n".join(text) + "\n" if text else "" for text in texts]


def rejected_alike(check, rng):
    def compare(path):
        expected = check.run("augrelabel", [], stdin=path)
        got = check.run("distmatch", ["-np", "4", path])
        if (got.returncode, got.stdout) != (expected.returncode, expected.stdout) or expected.returncode != 1:
            check.faults.append("%s: distmatch %d %r, augrelabel %d %r" % (
                path, got.returncode, got.stdout[-200:], expected.returncode, expected.stdout[-200:]))

    paths = [check.save(text) for text in faulty_inputs(rng)]
    with ThreadPoolExecutor(3) as pool:
        list(pool.map(compare, paths))
    refused = check.run("distmatch", ["-np", "2", paths[0]])
    if refused.returncode != 1 or "square" not in refused.stderr:
        check.faults.append("-np 2: status %d, %r" % (refused.returncode, refused.stderr))
    packed = check.save("")
    with open(packed, "wb") as f:
        f.write(gzip.compress(open(paths[0], "rb").read()))
    refused = check.run("distmatch", ["-np", "1", packed])
    expected = "gzip-compressed input is not read by distmatch; decompress it first (gunzip)"
    if (refused.returncode, refused.stdout) != (1, expected):
        check.faults.append("gzip: status %d, %r" % (refused.returncode, refused.stdout))


def result_file_guarded(check, rng):
    """-w never replaces the problem, goes through symlinks and hard links
    keeping the file's mode, and writes a FIFO or device in place, in rank
    order."""
    edges = [(rng.randint(1, 60), rng.randint(1, 60)) for _ in range(300)]
    problem = check.save(bipartite_text(60, 60, edges))
    text = open(problem).read()
    folder = tempfile.mkdtemp(dir=check.workdir)
    full = "/dev/full"
    if os.geteuid() == 0:  # a faulty writer run as root would replace the machine's own
        full = os.path.join(folder, "full")
        os.mknod(full, 0o666 | stat.S_IFCHR, os.makedev(1, 7))
    refusals = [(["-np", "1", "-w", problem, problem], None, "is the input file"),
                (["-np", "4", "-w", "./" + os.path.relpath(problem), problem], None,
                 "is the input file"),
                (["-np", "1", "-w", problem], problem, "is the standard input"),
                (["-np", "4", "-w", full, problem], None, "No space left on device")]
    for args, stdin, words in refusals:
        done = check.run("distmatch", args, stdin=stdin)
        if done.returncode != 1 or words not in done.stderr or open(problem).read() != text:
            check.faults.append("%r: status %d, %r" % (args, done.returncode, done.stderr[-300:]))

    expected = problem + ".expected"
    check.run("distmatch", ["-np", "4", "-w", expected, problem])
    target, twin, link = (os.path.join(folder, name) for name in ("target", "twin", "link"))
    open(target, "w").write("old\n")
    os.chmod(target, 0o600)
    os.link(target, twin)
    os.symlink("target", link)
    check.run("distmatch", ["-np", "4", "-w", link, problem])
    if (open(twin).read() != open(expected).read() or os.stat(target).st_mode & 0o777 != 0o600
            or not stat.S_ISCHR(os.stat(full).st_mode)
            or sorted(set(os.listdir(folder)) - {"full"}) != ["link", "target", "twin"]):
        check.faults.append("-w through a symlink to a hard-linked 0600 file: %r" %
                            sorted(os.listdir(folder)))

    fifo = os.path.join(folder, "fifo")
    os.mkfifo(fifo)
    with ThreadPoolExecutor(1) as pool:
        read = pool.submit(lambda: open(fifo).read())
        check.run("distmatch", ["-np", "4", "-w", fifo, problem])
        if read.result(timeout=120) != open(expected).read():
            check.faults.append("-w FIFO with 4 ranks: not the matching file")


def limits_kept(check):
    """A problem declaring more than the ranks' memory holds ends with the
    memory message, once, before anything is allocated; a rank count beyond
    what the problem or the machine can use is refused before mpirun
    starts."""
    huge = check.save("%%MatrixMarket matrix coordinate pattern general\n"
                      "3000000000 3000000000 1\n1 1\n", ".mtx")
    done = check.run("distmatch", ["-np", "4", huge])
    if (done.returncode, done.stdout) != (1, "can't obtain enough memory to solve this problem"):
        check.faults.append("%s: status %d, %r" % (huge, done.returncode, done.stdout[-200:]))
    small = check.save(bipartite_text(3, 2, [(1, 1), (2, 1), (3, 2)]))
    for ranks, words in (("16", "could use"), ("1048576", "1048576 ranks")):
        done = check.run("distmatch", ["-np", ranks, small])
        if done.returncode != 1 or words not in done.stderr or done.stdout:
            check.faults.append("-np %s: status %d, %r" % (ranks, done.returncode, done.stderr))


def main():
    check = Check(sys.argv[1])
    rng = random.Random(15)
    solved_everywhere(check, rng)
    rejected_alike(check, rng)
    result_file_guarded(check, rng)
    limits_kept(check)
    check.verify()
    if check.faults:
        for fault in check.faults[:20]:
            print(fault)
        print("FAILED: files kept in %s" % check.workdir)
        return 1
    shutil.rmtree(check.workdir)
    print("%d sizes verified, faulty inputs rejected alike" % len(check.claims))
    return 0


if __name__ == "__main__":
    sys.exit(main())
