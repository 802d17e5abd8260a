"""Reads the generators' output back for the tests: header comments, problem
line, node lines and arcs."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "oracle"))
import oracle  # noqa: E402  (the repository's independent reference results)

MATCHING = ["augrelabel", "pushmatch-lifo", "pushmatch-fifo", "depthmatch", "breadthmatch"]
UNITFLOW = ["unitflow-lifo", "unitflow-fifo"]


class Problem:
    def __init__(self, text):
        self.comments, self.arcs, self.terminals = [], [], {}
        self.word, self.counts = None, ()
        for line in text.splitlines():
            kind, *fields = line.split()
            if kind == "c":
                assert self.word is None, "comment after the problem line"
                self.comments.append(line[2:])
            elif kind == "p":
                self.word, self.counts = fields[0], tuple(int(f) for f in fields[1:])
            elif kind == "n":
                self.terminals[fields[1]] = int(fields[0])
            else:
                assert kind == "a", f"unexpected line {line!r}"
                self.arcs.append(tuple(int(f) for f in fields))

    def matching_size(self):
        n1, n2, _ = self.counts
        return oracle.max_matching(n1, n2, self.arcs)

    def flow_value(self, capacitated=False):
        """The maximum flow value, every arc taken as one unit unless capacitated."""
        nodes = self.counts[0]
        arcs = [(a - 1, b - 1) for a, b, _ in self.arcs]
        capacities = [c for _, _, c in self.arcs] if capacitated else None
        return oracle.max_flow(nodes, arcs, self.terminals["s"] - 1, self.terminals["t"] - 1,
                               capacities)


def generate(bindir, program, *args):
    proc = subprocess.run([os.path.join(bindir, program), *args], capture_output=True, timeout=60)
    assert proc.returncode == 0, f"{program} {args} exited {proc.returncode}: {proc.stderr!r}"
    return proc.stdout


def solve(bindir, program, data):
    """Runs a solver on the problem bytes; returns the report line's fields."""
    proc = subprocess.run([os.path.join(bindir, program)], input=data, capture_output=True,
                          timeout=60)
    assert proc.returncode == 0, f"{program} exited {proc.returncode}: {proc.stdout!r}"
    lines = proc.stdout.decode().splitlines()
    assert len(lines) == 1, f"{program} printed more than its report: {lines}"
    return lines[0].split()
