"""maximum_matching against scipy and the independent verifier, on every
input kind, on awkward matrices, on bad input and on two threads at once."""

import subprocess
import sys
import threading

import numpy as np
import pytest
import scipy.sparse as sp
from conftest import check_cover, check_matching, csr, verify
from scipy.sparse.csgraph import maximum_bipartite_matching, structural_rank

import matchflow
from matchflow import dulmage_mendelsohn, maximum_matching


def write_listing(path, problem, matching):
    """The matching in the listing format `verify matching` reads (1-based)."""
    rows, cols = matching.pairs()
    with open(path, "w") as f:
        f.write(f"Bipartite Matching; Results for |U|={problem.shape[0]}, "
                f"|V|={problem.shape[1]}, |E|={len(problem.rows)}\n\n")
        f.writelines(f"{r + 1} matched to {c + 1}\n" for r, c in zip(rows, cols))


SETTINGS = ([{"algorithm": a, "initialisation": i} for a in ("pothen-fan", "push-relabel")
             for i in ("karp-sipser", "greedy", "none")] +
            [{"algorithm": a, "initialisation": i}
             for a in ("push-relabel-either-side", "pothen-fan-then-push-relabel",
                       "pothen-fan-both-sides", "pothen-fan-interleaved", "sweeps")
             for i in ("karp-sipser", "greedy")] +
            [{"algorithm": "pothen-fan", "initialisation": i}
             for i in ("degree-one-then-greedy", "degree-one")])


def test_generated_problems_against_scipy_and_verifier(problems, bindir, tmp_path):
    for (family, seed), path in problems.items():
        problem = matchflow.read_problem(path)
        A = csr(problem)
        expected = np.count_nonzero(maximum_bipartite_matching(A, perm_type="column") >= 0)
        edges = set(zip(problem.rows.tolist(), problem.cols.tolist()))
        for settings in SETTINGS:
            found = maximum_matching(A, cover=True, **settings)
            assert found.size == expected, (family, seed, settings)
            check_matching(edges, found.row_mates, found.col_mates, found.size)
            check_cover(problem.rows, problem.cols, found.row_cover, found.col_cover, found.size)
        listing = tmp_path / f"{family}-{seed}.listing"
        write_listing(listing, problem, found)
        assert verify(bindir, "matching", path, listing) == "", (family, seed)


def test_every_input_kind_gives_a_maximum_matching(problems):
    problem = matchflow.read_problem(problems["uniform", 1])
    A = csr(problem)
    expected = maximum_matching(A).size
    edges = set(zip(problem.rows.tolist(), problem.cols.tolist()))
    wide = sp.csr_matrix((A.data, A.indices.astype(np.int64), A.indptr.astype(np.int64)),
                         shape=A.shape)
    for kind, given in [("csr_array", sp.csr_array(A)), ("csc", A.tocsc()), ("coo", A.tocoo()),
                        ("lil", A.tolil()), ("dense", A.toarray()), ("int64 indices", wide),
                        ("pairs", (problem.rows, problem.cols))]:
        options = {"shape": problem.shape} if kind == "pairs" else {}
        found = maximum_matching(given, **options)
        assert found.size == expected, kind
        assert len(found.row_mates) == A.shape[0] and len(found.col_mates) == A.shape[1], kind
        check_matching(edges, found.row_mates, found.col_mates, found.size)


def test_perm_type_returns_what_scipy_returns(problems):
    A = csr(matchflow.read_problem(problems["power-law", 2]))
    for perm_type, length in (("row", A.shape[1]), ("column", A.shape[0])):
        ours = maximum_matching(A, perm_type)
        theirs = maximum_bipartite_matching(A, perm_type=perm_type)
        assert ours.dtype == theirs.dtype and ours.shape == theirs.shape == (length,)
        assert np.count_nonzero(ours >= 0) == np.count_nonzero(theirs >= 0)
    matching = maximum_matching(A)
    assert np.array_equal(maximum_matching(A, "row"), matching.col_mates)
    transposed = maximum_matching(A.tocsc(), "column")
    assert np.count_nonzero(transposed >= 0) == matching.size


def test_explicit_zeros_are_edges_unless_asked_otherwise():
    # Row 1's only edge is a stored zero; without it one row stays free.
    A = sp.csr_matrix((np.array([1.0, 1.0, 0.0]), np.array([0, 1, 0], dtype=np.int32),
                       np.array([0, 2, 3], dtype=np.int32)), shape=(2, 2))
    assert maximum_matching(A).size == 2
    assert np.count_nonzero(maximum_bipartite_matching(A) >= 0) == 2
    dropped = maximum_matching(A, zeros_are_edges=False)
    assert dropped.size == 1 and dropped.row_mates[1] == -1
    assert A.nnz == 3, "the caller's matrix must stay as it was"
    for other in (A.tocsc(), A.tocoo()):
        assert maximum_matching(other).size == 2
        assert maximum_matching(other, zeros_are_edges=False).size == 1


def test_duplicates_and_unsorted_indices_change_nothing():
    # Row 0 lists column 2 three times and its columns backwards.
    indptr = np.array([0, 4, 5, 7], dtype=np.int32)
    indices = np.array([2, 2, 1, 2, 2, 1, 0], dtype=np.int32)
    A = sp.csr_matrix((np.ones(7), indices, indptr), shape=(3, 3))
    assert not A.has_canonical_format and not A.has_sorted_indices
    found = maximum_matching(A, cover=True)
    assert found.size == 3
    edges = {(0, 1), (0, 2), (1, 2), (2, 0), (2, 1)}
    check_matching(edges, found.row_mates, found.col_mates, 3)
    rows = np.repeat(np.arange(3), np.diff(indptr))
    check_cover(rows, indices, found.row_cover, found.col_cover, 3)
    assert np.array_equal(A.indices, indices), "the caller's matrix must stay as it was"
    assert maximum_matching((np.array([0, 0, 1]), np.array([1, 1, 1])), shape=(2, 2)).size == 1


def test_empty_sides_and_no_edges():
    for shape in [(0, 0), (4, 0), (0, 4), (3, 5)]:
        found = maximum_matching(sp.csr_matrix(shape), cover=True)
        assert found.size == 0
        assert found.row_mates.tolist() == [-1] * shape[0]
        assert found.col_mates.tolist() == [-1] * shape[1]
        assert not found.row_cover.any() and not found.col_cover.any()
    assert maximum_matching((np.array([], dtype=np.int64), np.array([], dtype=np.int64))).size == 0


def malformed(indptr, indices, shape, kind=sp.csr_matrix):
    """A CSR (or CSC) matrix that scipy accepts but whose arrays are bad."""
    A = kind(shape)
    A.indptr, A.indices, A.data = (np.array(indptr, dtype=np.int32),
                                   np.array(indices, dtype=np.int32), np.ones(len(indices)))
    return A


@pytest.mark.parametrize("call, message", [
    (lambda: maximum_matching(malformed([0, 1, 2], [0, 7], (2, 3))), r"indices\[1\] = 7"),
    (lambda: maximum_matching(malformed([0, 1, 2], [0, -1], (2, 3))), r"indices\[1\] = -1"),
    # The rank and the decomposition name the bad id as the matching does.
    (lambda: matchflow.structural_rank(malformed([0, 1, 2], [0, 7], (2, 3))), r"indices\[1\] = 7"),
    (lambda: dulmage_mendelsohn(malformed([0, 2, 2], [0, -3], (2, 3))), r"indices\[1\] = -3"),
    (lambda: maximum_matching(malformed([0, 2, 1], [0, 1], (2, 3))), "indptr decreases"),
    # The order is named first, even where a middle offset lies past the ids.
    (lambda: matchflow.structural_rank(malformed([0, 9, 2], [0, 1], (2, 3))), "indptr decreases"),
    (lambda: maximum_matching(malformed([1, 2, 2], [0, 1], (2, 3))), r"indptr\[0\] = 1, must be 0"),
    (lambda: maximum_matching(malformed([0, 1, 5], [0, 1], (2, 3))), "indices holds only 2"),
    (lambda: maximum_matching(malformed([0, 1], [0], (2, 3))), "indptr must have 3 entries"),
    (lambda: maximum_matching(malformed([0, 1], [5], (3, 1), sp.csc_matrix)), r"\[0, 3\)"),
    (lambda: maximum_matching(([0, 3], [0, 1]), shape=(2, 2)), r"rows\[1\] = 3"),
    (lambda: maximum_matching(([0, 1], [0, -2]), shape=(2, 2)), r"cols\[1\] = -2"),
    (lambda: maximum_matching(([0, 1], [0]), shape=(2, 2)), "same length"),
    (lambda: maximum_matching(([0.5], [0]), shape=(2, 2)), "integers"),
    (lambda: maximum_matching(([0], [0]), shape=(-1, 2)), "-1 is out of range"),
    (lambda: maximum_matching(([0], [0]), shape=(2**31, 2)), "2147483648 is out of range"),
    (lambda: maximum_matching(([0], [0]), shape=(2**63, 5)), "9223372036854775808 is out of"),
    (lambda: maximum_matching(([0], [0]), shape=(3.7, 5)), "whole numbers"),
    (lambda: maximum_matching(([0], [0]), shape=(2, 2, 2)), "shape"),
    (lambda: maximum_matching(sp.eye(2, format="csr"), perm_type="rows"), "perm_type"),
    (lambda: maximum_matching(sp.eye(2, format="csr"), "row", cover=True), "cover"),
    (lambda: maximum_matching(sp.eye(2, format="csr"), algorithm="hopcroft-karp"), "algorithm"),
    (lambda: maximum_matching(([0], [0]), initialisation="random"), "initialisation"),
    (lambda: maximum_matching(([0], [0]), threads=-1), r"threads: -1 is out of range"),
    (lambda: maximum_matching(([0], [0]), threads=True), "threads must be a whole number"),
    (lambda: matchflow.structural_rank(([0], [0]), threads=2.0), "threads must be a whole"),
])
def test_bad_input_raises_value_error(call, message):
    with pytest.raises(ValueError, match=message):
        call()


def test_unknown_input_kind_raises_type_error():
    for given in ([[0, 1], [1, 0]], "matrix", np.ones(3), 5):
        with pytest.raises(TypeError):
            maximum_matching(given)


def test_running_out_of_memory_raises_memory_error():
    # Mates for 2^31 - 1 rows exceed the memory budget (here the 1 GiB
    # address-space limit, which also keeps a regression from taking the
    # machine's memory): refused before anything is allocated, not by a
    # failed allocation ("not enough memory to solve this problem"). So is
    # a decomposition of 5M + 5M vertices, whose matching alone would be
    # let through.
    script = """if True:
        import resource
        resource.setrlimit(resource.RLIMIT_AS, (1 << 30, 1 << 30))
        import numpy as np, matchflow
        huge = 2**31 - 1
        calls = [lambda: matchflow.maximum_matching(([0], [0]), shape=(huge, huge)),
                 lambda: matchflow.dulmage_mendelsohn(([0], [0]), shape=(5 * 10**6, 5 * 10**6))]
        if hasattr(matchflow._core, "max_flow"):
            calls.append(lambda: matchflow.maximum_flow([0], [1], huge, 0, 1))
        for call in calls:
            try:
                call()
                print("solved")
            except MemoryError as error:
                print(error)
    """
    proc = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True)
    assert proc.returncode == 0, proc.stderr
    lines = proc.stdout.splitlines()
    assert lines and all("more than the memory budget of 1024 MiB" in line for line in lines), lines


def test_parallel_solve_is_a_maximum_matching():
    # Over a million entries: large enough for the parallel solve.
    rng = np.random.default_rng(11)
    n, m = 300000, 1200000
    rows, cols = rng.integers(0, n, m), rng.integers(0, n, m)
    edges = set(zip(rows.tolist(), cols.tolist()))
    serial = maximum_matching((rows, cols), shape=(n, n), threads=1)
    for threads in (2, 0):
        found = maximum_matching((rows, cols), shape=(n, n), threads=threads, cover=True)
        assert found.size == serial.size
        check_matching(edges, found.row_mates, found.col_mates, found.size)
        check_cover(rows, cols, found.row_cover, found.col_cover, found.size)
    assert matchflow.structural_rank((rows, cols), shape=(n, n), threads=2) == serial.size


def test_two_threads_solve_at_once():
    rng = np.random.default_rng(5)
    matrices = [sp.random(20000, 20000, density=2e-4, format="csr", random_state=rng)
                for _ in range(2)]
    alone = [maximum_matching(A) for A in matrices]
    results = [None, None]

    def solve(i):
        results[i] = [maximum_matching(matrices[i]) for _ in range(3)]

    threads = [threading.Thread(target=solve, args=(i,)) for i in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for i in range(2):
        for found in results[i]:
            assert found.size == alone[i].size
            assert np.array_equal(found.row_mates, alone[i].row_mates)


def check_decomposition(A, dm):
    """dm is a block upper triangular form of A with cs_dmperm's layout: the
    permutations, the staircase, the matched pairs on each part's diagonal."""
    rows, cols = A.shape
    assert sorted(dm.p) == list(range(rows)) and sorted(dm.q) == list(range(cols))
    rr, cc, rank = dm.rr, dm.cc, dm.structural_rank
    assert (rr[0], rr[3], rr[4], cc[0], cc[1], cc[4]) == (0, rank, rows, 0, cols - rank, cols)
    B = A.tocsr()[dm.p][:, dm.q].tocoo()
    row_block = np.repeat(np.arange(dm.nb), np.diff(dm.r))
    col_block = np.repeat(np.arange(dm.nb), np.diff(dm.s))
    assert np.all(row_block[B.row] <= col_block[B.col])
    if rank > 0:  # scipy gives an empty sparse matrix, not an array, for no index
        diagonal = B.tocsr()[np.arange(rank), np.arange(rank) + cc[1]]
        assert np.all(np.asarray(diagonal).ravel() != 0)
    blocks = list(dm.blocks())
    assert len(blocks) == dm.nb
    assert sum(len(block_rows) for block_rows, _ in blocks) == rows


def test_dulmage_mendelsohn_of_generated_problems_and_their_transposes(problems):
    for (family, seed), path in problems.items():
        A = csr(matchflow.read_problem(path))
        for given in (A, A.T.tocsr(), A.tocsc()):
            dm = dulmage_mendelsohn(given)
            assert dm.structural_rank == structural_rank(given), (family, seed)
            check_decomposition(given, dm)


def test_structural_rank_is_scipys_on_every_kind_of_input(problems):
    A = csr(matchflow.read_problem(problems["few-to-many", 1]))
    expected = structural_rank(A)
    for given in (A, A.tocsc(), A.tocoo(), A.toarray(), sp.csr_array(A)):
        assert matchflow.structural_rank(given) == expected
    for shape in [(0, 0), (0, 3), (4, 0), (3, 5)]:
        empty = sp.csr_matrix(shape, dtype=np.int8)
        assert matchflow.structural_rank(empty) == 0
        dm = dulmage_mendelsohn(empty)
        check_decomposition(empty, dm)
        assert dm.nb == (shape[0] > 0) + (shape[1] > 0)
