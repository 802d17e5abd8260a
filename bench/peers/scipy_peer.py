"""peer-scipy-matching and peer-scipy-flow: scipy.sparse.csgraph's
maximum_bipartite_matching (Hopcroft-Karp) and maximum_flow (Dinic) on a
problem in the suite's formats, with the peers' report line. The seconds are
the user CPU seconds of the library call alone; reading the problem and
building the sparse matrix come before.

Usage: scipy_peer.py matching|flow < PROBLEM
"""

import resource
import sys

import numpy as np
from scipy.sparse import csr_matrix
from scipy.sparse.csgraph import maximum_bipartite_matching, maximum_flow


class Problem:
    """Either a bipartite problem (left, right) or a network (nodes, source,
    sink, arc capacities); tails and heads are 0-based arrays, of the two
    sides or of the nodes."""

    def __init__(self):
        self.bipartite = False
        self.unit = False  # a "unit-flow" network: every arc is one unit
        self.left = self.right = self.nodes = 0
        self.source = self.sink = -1
        self.tails = self.heads = self.capacities = np.zeros(0, dtype=np.int64)


def reject(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def line_starts(buffer):
    starts = np.flatnonzero(buffer == ord("\n")) + 1
    return np.concatenate(([0], starts[starts < buffer.size]))


def problem_line(problem, words):
    numbers = [int(w) for w in words[2:]]
    word = words[1].decode() if len(words) > 1 else ""
    if word.startswith("bipartite") and len(numbers) == 3 and min(numbers) >= 0:
        problem.bipartite = True
        problem.left, problem.right = numbers[:2]
    elif word in ("max", "unit-flow") and len(numbers) == 2 and numbers[0] >= 1:
        problem.nodes = numbers[0]
        problem.unit = word == "unit-flow"
    else:
        reject("bad problem line")


def node_line(problem, words):
    if len(words) < 3 or not words[1].isdigit() or not 1 <= int(words[1]) <= problem.nodes:
        reject("bad node line")
    if words[2] == b"s":
        problem.source = int(words[1]) - 1
    elif words[2] == b"t":
        problem.sink = int(words[1]) - 1
    else:
        reject("bad node line")


def header_lines(problem, data, buffer, starts):
    """Reads the lines other than arc lines and blanks them out in buffer."""
    ends = np.append(starts[1:] - 1, buffer.size)
    first = buffer[np.minimum(starts, buffer.size - 1)]
    headers = np.flatnonzero(~np.isin(first, np.frombuffer(b"a\n\r", dtype=np.uint8)))
    seen_problem = False
    for begin, end in zip(starts[headers], ends[headers]):
        kind = data[begin:begin + 1]
        words = data[begin:end].split()
        if kind == b"p" and not seen_problem:
            problem_line(problem, words)
            seen_problem = True
        elif kind == b"n" and seen_problem and not problem.bipartite:
            node_line(problem, words)
        elif kind not in (b"c", b"t"):
            reject(f"unexpected line: {data[begin:end].decode(errors='replace')[:60]}")
        buffer[begin:end] = ord(" ")
    if not seen_problem:
        reject("no problem line")


def arc_lines(problem, buffer, arcs):
    buffer[buffer == ord("a")] = ord(" ")
    numbers = np.fromstring(buffer.tobytes(), dtype=np.int64, sep=" ")
    columns = 2 if problem.bipartite else 3
    if numbers.size != arcs * columns:
        reject("bad arc line")
    numbers = numbers.reshape(arcs, columns)
    problem.tails, problem.heads = numbers[:, 0] - 1, numbers[:, 1] - 1
    if not problem.bipartite:
        problem.capacities = np.ones(arcs, dtype=np.int64) if problem.unit else numbers[:, 2]
        if problem.capacities.size and problem.capacities.min() < 0:
            reject("negative capacity")
    limits = (problem.left, problem.right) if problem.bipartite else (problem.nodes,) * 2
    for ends, limit in zip((problem.tails, problem.heads), limits):
        if ends.size and (ends.min() < 0 or ends.max() >= limit):
            reject("node number out of range")


def read_problem(data):
    problem = Problem()
    if not data:
        reject("empty input")
    buffer = np.frombuffer(data, dtype=np.uint8).copy()
    starts = line_starts(buffer)
    header_lines(problem, data, buffer, starts)
    arcs = int(np.count_nonzero(buffer[starts] == ord("a")))
    arc_lines(problem, buffer, arcs)
    if not problem.bipartite and (problem.source < 0 or problem.sink < 0):
        reject("no source or sink")
    return problem


def not_matching_shape():
    sys.stdout.write("not a bipartite matching network")
    sys.exit(1)


def matching_of(problem):
    """(left, right, tails, heads) of the matching problem: a bipartite
    problem as it is, or a network of the matching shape (source joined to
    each first-side node, each second-side node joined to the sink, every
    other arc between the two sides)."""
    if problem.bipartite:
        return problem.left, problem.right, problem.tails, problem.heads
    if np.any(problem.capacities != 1):
        not_matching_shape()
    tails, heads = problem.tails, problem.heads
    out, into = tails == problem.source, heads == problem.sink
    if np.any(out & into):
        not_matching_shape()
    first, second = heads[out], tails[into]
    ends = np.concatenate((first, second))
    if np.unique(ends).size != ends.size or np.isin(ends, (problem.source, problem.sink)).any():
        not_matching_shape()
    side = np.zeros(problem.nodes, dtype=np.int8)
    index = np.full(problem.nodes, -1, dtype=np.int64)
    side[first], index[first] = 1, np.arange(first.size)
    side[second], index[second] = 2, np.arange(second.size)
    inner = ~(out | into)
    a, b = side[tails[inner]], side[heads[inner]]
    if np.any((a == 0) | (b == 0) | (a == b)):
        not_matching_shape()
    x = np.where(a == 1, index[tails[inner]], index[heads[inner]])
    y = np.where(a == 1, index[heads[inner]], index[tails[inner]])
    return first.size, second.size, x, y


def network_of(problem):
    """(nodes, source, sink, tails, heads, capacities): a network as it is,
    or the matching reduction of a bipartite problem."""
    if not problem.bipartite:
        return (problem.nodes, problem.source, problem.sink, problem.tails, problem.heads,
                problem.capacities)
    left, right = problem.left, problem.right
    source, sink = left + right, left + right + 1
    tails = np.concatenate((np.full(left, source), problem.tails, left + np.arange(right)))
    heads = np.concatenate((np.arange(left), left + problem.heads, np.full(right, sink)))
    return left + right + 2, source, sink, tails, heads, np.ones(tails.size, dtype=np.int64)


def cpu_seconds():
    return resource.getrusage(resource.RUSAGE_SELF).ru_utime


def report(nodes, edges, result, seconds):
    print(f"{nodes:8d} {edges:8d} {result:8d} {0:8d} {0:8d} {seconds:11.3f}")


def solve_matching(problem):
    left, right, x, y = matching_of(problem)
    ones = np.ones(x.size, dtype=np.int8)
    graph = csr_matrix((ones, (x, y)), shape=(left, right))
    start = cpu_seconds()
    mates = maximum_bipartite_matching(graph, perm_type="column")
    seconds = cpu_seconds() - start
    report(left + right, x.size, int(np.count_nonzero(mates >= 0)), seconds)


def solve_flow(problem):
    nodes, source, sink, tails, heads, capacities = network_of(problem)
    loop = tails == heads
    # Parallel arcs are summed into one entry; scipy takes 32-bit capacities.
    graph = csr_matrix((capacities[~loop], (tails[~loop], heads[~loop])), shape=(nodes, nodes))
    out_of_source = capacities[(tails == source) & ~loop].sum()
    if out_of_source > np.iinfo(np.int32).max:
        reject("capacities beyond scipy's 32-bit range")
    graph = csr_matrix((graph.data.astype(np.int32), graph.indices, graph.indptr), shape=graph.shape)
    start = cpu_seconds()
    value = maximum_flow(graph, source, sink, method="dinic").flow_value
    seconds = cpu_seconds() - start
    sizes = (problem.left + problem.right, problem.tails.size) if problem.bipartite else (
        problem.nodes, problem.tails.size)
    report(*sizes, int(value), seconds)


def main(argv):
    if len(argv) != 2 or argv[1] not in ("matching", "flow"):
        print(__doc__, file=sys.stderr)
        return 2
    problem = read_problem(sys.stdin.buffer.read())
    (solve_matching if argv[1] == "matching" else solve_flow)(problem)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
