"""maximum_flow against scipy and the independent verifier, with its flow and
cut checked arc by arc, with and without capacities, in scipy's matrix form,
on bad input, on two threads at once, and stopped by Ctrl-C."""

import subprocess
import sys
import threading

import numpy as np
import pytest
import scipy.sparse as sp
from conftest import verify
from scipy.sparse.csgraph import maximum_flow as scipy_maximum_flow

import matchflow
from matchflow import _core, maximum_flow

pytestmark = pytest.mark.skipif(not hasattr(_core, "max_flow"),
                                reason="built without the flow solver")


def scipy_value(network):
    """The flow value by scipy: parallel arcs summed, self-loops left out."""
    keep = network.tails != network.heads
    capacity = sp.csr_matrix((np.ones(np.count_nonzero(keep), dtype=np.int32),
                              (network.tails[keep], network.heads[keep])),
                             shape=(network.n, network.n))
    return scipy_maximum_flow(capacity, network.source, network.sink).flow_value


def check_flow_and_cut(network, found):
    """The arcs with flow form a flow of the value found, and the source side
    is a cut whose capacity equals that value."""
    tails, heads, flow, side = network.tails, network.heads, found.flow, found.source_side
    balance = (np.bincount(heads[flow], minlength=network.n)
               - np.bincount(tails[flow], minlength=network.n))
    inner = np.ones(network.n, dtype=bool)
    inner[[network.source, network.sink]] = False
    assert not balance[inner].any(), "flow is not conserved"
    assert balance[network.sink] == found.value
    assert side[network.source] and not side[network.sink]
    leaving = side[tails] & ~side[heads]
    entering = ~side[tails] & side[heads]
    assert np.count_nonzero(leaving) == found.value
    assert flow[leaving].all() and not flow[entering].any()


def test_generated_networks_against_scipy_and_verifier(networks, bindir):
    for (family, seed), path in networks.items():
        network = matchflow.read_problem(path)
        expected = scipy_value(network)
        for algorithm in ("dinic", "push-relabel"):
            found = maximum_flow(*network, algorithm=algorithm)
            assert found.value == expected, (family, seed, algorithm)
            check_flow_and_cut(network, found)
        assert verify(bindir, "flow", path, found.value) == "", (family, seed)


def test_reduction_flow_equals_matching_size(problems, networks):
    for family in ("long-paths", "few-to-many"):
        problem = matchflow.read_problem(problems[family, 1])
        network = matchflow.read_problem(networks[f"{family} reduction", 1])
        size = matchflow.maximum_matching(problem[:2], shape=problem.shape).size
        for threads in (0, 1, 2):
            assert maximum_flow(*network, threads=threads).value == size
    with pytest.raises(ValueError, match="threads: 4097 is out of range"):
        maximum_flow(*network, threads=4097)


def test_parallel_arcs_self_loops_and_input_kinds():
    # Two parallel arcs 0->1, a self-loop at 1, one arc 1->2: value 1.
    tails, heads = [0, 0, 1, 1], [1, 1, 1, 2]
    for kind in (list, np.array, lambda x: np.array(x, dtype=np.uint16),
                 lambda x: np.array(x, dtype=np.int64)[::-1][::-1]):
        found = maximum_flow(kind(tails), kind(heads), 3, 0, 2)
        assert found.value == 1
        assert found.flow.tolist().count(True) == 2 and found.flow[3] and not found.flow[2]
    assert maximum_flow([0, 0, 1, 1], [1, 1, 2, 2], 3, 0, 2).value == 2


def test_source_equal_to_sink_and_no_arcs():
    found = maximum_flow([0, 1], [1, 0], 2, 1, 1)
    assert found.value == 0 and not found.flow.any()
    found = maximum_flow([], [], 2, 0, 1)
    assert found.value == 0 and found.source_side.tolist() == [True, False]


@pytest.mark.parametrize("args, message", [
    (([0, 1], [1, 5], 3, 0, 2), r"heads\[1\] = 5"),
    (([0, -1], [1, 2], 3, 0, 2), r"tails\[1\] = -1"),
    (([0, 1], [1, 2**40], 3, 0, 2), r"heads\[1\] = 1099511627776"),
    (([0], [1], -1, 0, 0), "n must lie in"),
    (([0], [1], 2**31, 0, 1), "n must lie in"),
    (([0], [1], 2.0, 0, 1), "n must be an integer"),
    (([0], [1], 3, 3, 1), "source 3 is out of range"),
    (([0], [1], 3, 0, -1), "sink -1 is out of range"),
    (([0], [1], 3, "0", 1), "source must be an integer"),
    (([0], [1], 0, 0, 0), "source 0 is out of range"),
    (([0, 1], [1], 3, 0, 2), "differ in length"),
    (([0.0], [1.0], 3, 0, 2), "integers"),
    (([[0]], [[1]], 3, 0, 2), "one-dimensional"),
    (([0], [1], 3, 0, 2, "edmonds-karp"), "algorithm"),
])
def test_bad_input_raises_value_error(args, message):
    with pytest.raises(ValueError, match=message):
        maximum_flow(*args[:5], **({"algorithm": args[5]} if len(args) > 5 else {}))


def random_capacities(rng, n, arcs, scale):
    """A square CSR matrix of capacities with duplicate entries, zeros and
    self-loops among them."""
    tails, heads = rng.integers(0, n, arcs), rng.integers(0, n, arcs)
    data = rng.integers(0, scale + 1, arcs)
    data[rng.random(arcs) < 0.1] = 0
    return sp.csr_matrix((data.astype(np.int32), (tails, heads)), shape=(n, n))


def test_matrix_form_is_scipys_with_its_flow_and_a_cut():
    rng = np.random.default_rng(24)
    for trial in range(300):
        n = int(rng.integers(2, 30))
        graph = random_capacities(rng, n, int(rng.integers(0, 4 * n)), int(rng.choice([1, 9, 10**6])))
        source, sink = rng.choice(n, 2, replace=False)
        expected = scipy_maximum_flow(graph, source, sink)
        for algorithm in (None, "highest-label", "partial-augment", "push-relabel", "dinic",
                          "boykov-kolmogorov"):
            found = maximum_flow(graph, source, sink, algorithm=algorithm)
            assert found.flow_value == expected.flow_value, (trial, algorithm)
            flow = found.flow.toarray()
            capacity = graph.toarray()
            np.fill_diagonal(capacity, 0)
            assert flow.shape == graph.shape and (flow == -flow.T).all()
            assert (flow <= capacity).all(), "a net flow above the capacity"
            net_out = flow.sum(axis=1)
            inner = np.ones(n, dtype=bool)
            inner[[source, sink]] = False
            assert not net_out[inner].any() and net_out[source] == found.value
            side = found.source_side
            assert side[source] and not side[sink]
            assert capacity[side][:, ~side].sum() == found.value


def test_arc_form_takes_capacities_and_gives_each_arcs_flow():
    # Two parallel arcs 0->1 of 3 and 4, an arc 1->2 of 5, a self-loop of 9
    # and an arc of capacity 0: value 5.
    tails, heads, capacities = [0, 0, 1, 1, 0], [1, 1, 2, 1, 2], [3, 4, 5, 9, 0]
    found = maximum_flow(tails, heads, 3, 0, 2, capacities=capacities)
    assert found.value == 5 and found.flow.dtype == np.int64
    assert found.flow[0] + found.flow[1] == 5 and found.flow[2] == 5
    assert found.flow[3] == 0 and found.flow[4] == 0
    assert (found.flow <= capacities).all() and (found.flow >= 0).all()
    big = maximum_flow([0, 1], [1, 2], 3, 0, 2, capacities=np.array([2**62, 2**62], dtype=np.uint64))
    assert big.value == 2**62 and big.flow.tolist() == [2**62, 2**62]


@pytest.mark.parametrize("kwargs, message", [
    ({"capacities": [1, -1]}, r"capacities\[1\] = -1"),
    ({"capacities": [1, 2**62 + 1]}, r"capacities\[1\] = 4611686018427387905"),
    ({"capacities": [1]}, "1 entries for 2 arcs"),
    ({"capacities": [1.5, 2]}, "integers"),
    ({"capacities": [2**62, 2**62]}, "more than 2\\^62"),
])
def test_bad_capacities_raise_value_error(kwargs, message):
    with pytest.raises(ValueError, match=message):
        maximum_flow([0, 0], [1, 1], 2, 0, 1, **kwargs)


def test_bad_matrices_raise_value_error():
    with pytest.raises(ValueError, match="square"):
        maximum_flow(sp.csr_matrix(np.ones((2, 3), dtype=np.int32)), 0, 1)
    with pytest.raises(ValueError, match="integers"):
        maximum_flow(sp.csr_matrix(np.ones((2, 2))), 0, 1)
    with pytest.raises(ValueError, match="capacities"):
        maximum_flow(sp.csr_matrix(np.ones((2, 2), dtype=np.int32)), 0, 1, capacities=[1])


def test_two_threads_solve_at_once():
    rng = np.random.default_rng(9)
    nodes, arcs = 20000, 100000
    networks = [(rng.integers(0, nodes, arcs), rng.integers(0, nodes, arcs)) for _ in range(2)]
    alone = [maximum_flow(t, h, nodes, 0, 1) for t, h in networks]
    results = [None, None]

    def solve(i):
        results[i] = [maximum_flow(*networks[i], nodes, 0, 1) for _ in range(3)]

    threads = [threading.Thread(target=solve, args=(i,)) for i in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for i in range(2):
        for found in results[i]:
            assert found.value == alone[i].value
            assert np.array_equal(found.source_side, alone[i].source_side)


def test_ctrl_c_stops_a_long_solve():
    """SIGINT during a solve that would take a quarter of an hour (Dinic's on
    source-sink paths of every length from 1 to 4000, a phase per length)
    raises KeyboardInterrupt: the solver stops at its next phase, where a
    signal honoured only at the end would run into the timeout. In a child
    interpreter, so that the signal cannot reach the test runner; one that
    answers Ctrl-C even when started with it ignored, as a background job
    of a non-interactive shell is."""
    script = """if True:
        import os, signal, threading
        import numpy as np, matchflow
        signal.signal(signal.SIGINT, signal.default_int_handler)
        k = 4000
        lengths = np.arange(1, k + 1)
        path = np.repeat(lengths, lengths)              # the path of each arc
        step = np.arange(path.size) - np.repeat(np.cumsum(lengths) - lengths, lengths)
        first = 2 + np.repeat(np.cumsum(lengths - 1) - (lengths - 1), lengths)
        tails = np.where(step == 0, 0, first + step - 1).astype(np.int32)
        heads = np.where(step == path - 1, 1, first + step).astype(np.int32)
        n = int(2 + (lengths - 1).sum())
        threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT)).start()
        found = None
        try:
            found = matchflow.maximum_flow(tails, heads, n, 0, 1, algorithm="dinic")
        except KeyboardInterrupt:
            print("interrupted", found)
        else:
            print("solved", found)
    """
    proc = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          timeout=120)
    assert proc.returncode == 0, proc.stderr
    assert proc.stdout == "interrupted None\n"
