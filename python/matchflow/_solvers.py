"""maximum_matching and maximum_flow: the fast solvers on arrays, in-process."""

import numpy as np

from . import _core

_INT32_MAX = np.iinfo(np.int32).max
_MAX_CAPACITY = 2**62


class Matching:
    """A maximum matching between the rows and the columns of a matrix.

    Attributes:
        size: the number of matched pairs.
        row_mates: int32 array, one entry per row: its column, or -1 if free.
        col_mates: int32 array, one entry per column: its row, or -1 if free.
        row_cover, col_cover: bool arrays of a minimum vertex cover (size
            vertices in all, every edge has an end in it), or None unless
            asked for with cover=True.
    """

    __slots__ = ("size", "row_mates", "col_mates", "row_cover", "col_cover")

    def __init__(self, size, row_mates, col_mates, row_cover=None, col_cover=None):
        self.size = size
        self.row_mates = row_mates
        self.col_mates = col_mates
        self.row_cover = row_cover
        self.col_cover = col_cover

    def pairs(self):
        """Returns (rows, cols): the matched pairs as two int32 arrays, by row."""
        rows = np.flatnonzero(self.row_mates >= 0).astype(np.int32)
        return rows, self.row_mates[rows]

    def __repr__(self):
        return (f"Matching(size={self.size}, rows={len(self.row_mates)}, "
                f"cols={len(self.col_mates)}, cover={self.row_cover is not None})")


class Flow:
    """A maximum flow and a minimum cut.

    Attributes:
        value (also flow_value, scipy's name): the flow value.
        flow: given a matrix, the flow as a CSR matrix of its shape, as
            scipy's maximum_flow gives it: flow[i, j] is the flow from i to
            j less the flow from j to i. Given arcs, one entry per arc: its
            flow (int64) with capacities, or with none (every arc one unit)
            a bool, True when the arc carries flow.
        source_side: bool array, one entry per node: True for the nodes on
            the source side of a minimum cut (the capacities of the arcs
            leaving it, all saturated, add up to value).
    """

    __slots__ = ("value", "flow", "source_side")

    def __init__(self, value, flow, source_side):
        self.value = value
        self.flow = flow
        self.source_side = source_side

    @property
    def flow_value(self):
        return self.value

    def __repr__(self):
        return f"Flow(value={self.value}, nodes={len(self.source_side)})"


def maximum_matching(A, perm_type=None, *, cover=False, shape=None, zeros_are_edges=True,
                     algorithm=None, initialisation=None, threads=1):
    """Finds a maximum-cardinality matching between the rows and columns of A.

    Args:
        A: a scipy sparse matrix or array of any format (rows are the first
            side, columns the second; a stored entry is an edge), a dense
            two-dimensional numpy array (a nonzero entry is an edge), or a
            tuple (rows, cols) of integer arrays listing the edges.
        perm_type: None (the default) returns a Matching. 'row' or 'column'
            returns what scipy.sparse.csgraph.maximum_bipartite_matching
            returns with that perm_type: 'row' the int32 array of the row
            matched to each column, 'column' that of the column matched to
            each row, -1 for free vertices.
        cover: also compute a minimum vertex cover (Koenig); only with
            perm_type None.
        shape: (number of rows, number of columns) for a pair (rows, cols);
            by default one more than the largest index on each side.
        zeros_are_edges: for sparse input: True (the default, as in scipy)
            makes every stored entry an edge, explicit zeros included; False
            leaves out entries whose stored value is zero (at the cost of a
            copy when there are any).
        algorithm: how the first matching is grown to a maximum one:
            'pothen-fan' (phases of depth-first searches with look-ahead),
            'push-relabel', 'push-relabel-either-side' (from the side with
            fewer free vertices that may still be matched),
            'pothen-fan-then-push-relabel' (push-relabel once PF+ has read
            as many entries as edges plus vertices),
            'pothen-fan-both-sides' (PF+ from each side in turn),
            'pothen-fan-interleaved' (PF+ with several searches in flight
            at once) or 'sweeps' (from one side's free vertices, by sweeps
            over the other side's lists in order); None
            (the default) lets the automatic plan choose, as fastmatch does.
        initialisation: the first matching: 'karp-sipser', 'greedy',
            'degree-one-then-greedy' (Karp-Sipser's degree-one rule, then a
            greedy start without degrees), 'degree-one' (the rule alone)
            or 'none'; None (the default)
            lets the automatic plan choose.
        threads: the threads the solve may run on: 1 (the default) one
            thread, 0 every processor this process may use. A graph of
            fewer than about a million entries is solved on one thread
            either way. On more than one the matching is as large, but
            which pairs it holds may differ from run to run; on the
            machines measured so far it was slower (docs/fast.md).

    Duplicate entries are the same edge; unsorted indices are fine. CSR
    input with int32 indices is used in place (int32 indptr is widened to a
    64-bit copy); CSC input is solved as its transpose, without a copy;
    other formats are converted to CSR first.

    Returns:
        A Matching, or an int32 array when perm_type is given.

    Raises:
        ValueError: an index out of range, a malformed indptr, a negative or
            too large dimension, an unknown perm_type, algorithm or
            initialisation, a threads count that is not a whole number in
            [0, 4096], or cover=True with a perm_type.
        TypeError: A is none of the accepted kinds.
        MemoryError: the solver ran out of memory.
    """
    if perm_type not in (None, "row", "column"):
        raise ValueError(f"perm_type must be None, 'row' or 'column', got {perm_type!r}")
    if cover and perm_type is not None:
        raise ValueError("cover=True returns a Matching: leave perm_type None")
    transposed, result = _solve_matching(A, shape, zeros_are_edges,
                                         ("cover" if cover else "matching", algorithm or "",
                                          initialisation or "", _threads(threads)))
    size, row_mates, col_mates, row_cover, col_cover = result
    if transposed:
        row_mates, col_mates, row_cover, col_cover = col_mates, row_mates, col_cover, row_cover
    if perm_type == "row":
        return col_mates
    if perm_type == "column":
        return row_mates
    return Matching(size, row_mates, col_mates, row_cover, col_cover)


def _solve_matching(A, shape, zeros_are_edges, settings, may_transpose=True):
    """(transposed, the solver's tuple) for any accepted input; CSC input is
    solved as its transpose when may_transpose, else converted to CSR."""
    fmt = getattr(A, "format", None)
    if isinstance(fmt, str) and hasattr(A, "tocsr"):
        if not zeros_are_edges:
            A = _without_zeros(A)
            fmt = A.format
        if fmt == "csc" and not may_transpose:
            A, fmt = A.tocsr(), "csr"
        if fmt in ("csr", "csc"):
            transposed = fmt == "csc"
            rows, cols = A.shape[::-1] if transposed else A.shape
            return transposed, _core.match_compressed(
                _indptr(A.indptr), _index32(A.indices, cols, "indices"), rows, cols, *settings)
        if fmt == "coo":
            return False, _core.match_pairs(_index64(A.row, "row"), _index64(A.col, "col"),
                                            *A.shape, *settings)
        return _solve_matching(A.tocsr(), None, True, settings, may_transpose)
    if isinstance(A, np.ndarray) and A.ndim == 2:
        rows, cols = np.nonzero(A)
        return False, _core.match_pairs(rows.astype(np.int64), cols.astype(np.int64), *A.shape,
                                        *settings)
    if isinstance(A, tuple) and len(A) == 2:
        rows, cols = (_index64(x, name) for x, name in zip(A, ("rows", "cols")))
        if shape is None:
            shape = tuple(int(x.max()) + 1 if x.size else 0 for x in (rows, cols))
        return False, _core.match_pairs(rows, cols, *_dimensions(shape), *settings)
    raise TypeError("A must be a scipy sparse matrix or array, a 2-D numpy array or a pair "
                    f"(rows, cols) of integer arrays, got {type(A).__name__}")


def _threads(threads):
    """threads as an int in [0, 4096]: a float, a bool or a number out of
    range is refused."""
    if not isinstance(threads, (int, np.integer)) or isinstance(threads, (bool, np.bool_)):
        raise ValueError(f"threads must be a whole number, got {threads!r}")
    if not 0 <= threads <= 4096:
        raise ValueError(f"threads: {threads} is out of range [0, 4096]")
    return int(threads)


def _dimensions(shape):
    """shape as two ints in [0, 2147483647]: a float, a bool or a number out of
    range is refused, never truncated or wrapped."""
    if not isinstance(shape, (tuple, list)) or len(shape) != 2:
        raise ValueError(f"shape must be (rows, cols), got {shape!r}")
    for side in shape:
        if not isinstance(side, (int, np.integer)) or isinstance(side, (bool, np.bool_)):
            raise ValueError(f"shape must hold two whole numbers, got {shape!r}")
        if not 0 <= side <= _INT32_MAX:
            raise ValueError(f"shape: {side} is out of range [0, {_INT32_MAX}]")
    return int(shape[0]), int(shape[1])


def _without_zeros(A):
    if A.format in ("csr", "csc", "coo") and np.count_nonzero(A.data) == A.data.size:
        return A
    A = A.tocsr(copy=True)
    A.eliminate_zeros()
    return A


def _indptr(indptr):
    if indptr.dtype in (np.int32, np.int64):
        return indptr
    return _index64(indptr, "indptr")


def _integers(values, name):
    array = np.asarray(values)
    if array.dtype.kind not in "iu" and not (array.dtype.kind == "f" and array.size == 0):
        raise ValueError(f"{name} must hold integers, got dtype {array.dtype}")
    if array.ndim != 1:
        raise ValueError(f"{name} must be one-dimensional, got {array.ndim} dimensions")
    return array


def _index64(values, name):
    array = _integers(values, name)
    if array.dtype == np.uint64 and array.size and array.max() > np.iinfo(np.int64).max:
        raise ValueError(f"{name}: {array.max()} is out of range")
    return np.ascontiguousarray(array, dtype=np.int64)


def _index32(values, bound, name):
    """values as a C-ordered int32 array: in place when it is one already."""
    array = _integers(values, name)
    if array.dtype == np.int32:
        return np.ascontiguousarray(array)
    if array.size and (array.min() < 0 or array.max() >= bound):
        i = np.flatnonzero((array < 0) | (array >= bound))[0]
        raise ValueError(f"{name}[{i}] = {array[i]} is out of range [0, {bound})")
    return np.ascontiguousarray(array, dtype=np.int32)


class DulmageMendelsohn:
    """The Dulmage-Mendelsohn decomposition of a matrix's pattern, with the
    meaning of CSparse's cs_dmperm (0-based):

    Attributes:
        p, q: int32 arrays: the row in each position (rows entries) and the
            column in each position (cols entries) of the permuted matrix
            A[p][:, q], block upper triangular.
        r, s: int32 arrays of nb + 1 block boundaries: fine block b holds
            rows p[r[b]:r[b+1]] and columns q[s[b]:s[b+1]].
        rr, cc: int32 arrays of the five coarse boundaries: rows
            p[rr[0]:rr[1]] are R1, p[rr[1]:rr[2]] R2, p[rr[2]:rr[3]] R3 and
            p[rr[3]:rr[4]] R0 (free); columns q[cc[0]:cc[1]] are C0 (free),
            then C1, C2 and C3.
        nb: the number of fine blocks.
        structural_rank: the size of a maximum matching.

    Within a part, the k-th row is matched to the k-th column (R1 to C1,
    each fine block of R2 x C2, R3 to C3).
    """

    __slots__ = ("structural_rank", "p", "q", "r", "s", "rr", "cc")

    def __init__(self, structural_rank, p, q, r, s, rr, cc):
        self.structural_rank = structural_rank
        self.p, self.q, self.r, self.s, self.rr, self.cc = p, q, r, s, rr, cc

    @property
    def nb(self):
        return len(self.r) - 1

    def blocks(self):
        """Yields (rows, cols) of each fine block in order, as int32 arrays."""
        for b in range(self.nb):
            yield self.p[self.r[b]:self.r[b + 1]], self.q[self.s[b]:self.s[b + 1]]

    def __repr__(self):
        return (f"DulmageMendelsohn(rows={len(self.p)}, cols={len(self.q)}, "
                f"structural_rank={self.structural_rank}, nb={self.nb})")


def dulmage_mendelsohn(A, *, shape=None, zeros_are_edges=True, threads=1):
    """The Dulmage-Mendelsohn decomposition of A: what CSparse's cs_dmperm
    and MATLAB's dmperm compute (0-based here).

    Args:
        A, shape, zeros_are_edges, threads: as for maximum_matching (CSC
            input is converted to CSR).

    Returns:
        A DulmageMendelsohn: p, q, r, s, rr, cc, nb, structural_rank and
        blocks().

    Raises:
        ValueError, TypeError, MemoryError: as maximum_matching.
    """
    _, result = _solve_matching(A, shape, zeros_are_edges, ("dm", "", "", _threads(threads)),
                                may_transpose=False)
    return DulmageMendelsohn(*result)


def structural_rank(A, *, shape=None, zeros_are_edges=True, threads=1):
    """The structural rank of A, the size of a maximum matching between its
    rows and columns: what scipy.sparse.csgraph.structural_rank returns.

    Args, Raises: as for maximum_matching.
    """
    _, result = _solve_matching(A, shape, zeros_are_edges, ("rank", "", "", _threads(threads)))
    return result[0]


def maximum_flow(*args, capacities=None, algorithm=None, threads=1):
    """Finds a maximum flow from source to sink, and a minimum cut.

    Two forms:

        maximum_flow(csgraph, source, sink)
        maximum_flow(tails, heads, n, source, sink, capacities=None)

    The first takes what scipy.sparse.csgraph.maximum_flow takes: a square
    scipy sparse matrix of integer capacities, entry (i, j) an arc from i to
    j (entries for the same (i, j) add up). The second takes the arcs as
    arrays: arc i runs from node tails[i] to node heads[i] with capacity
    capacities[i], or 1 when capacities is None; nodes are 0 ... n - 1.
    Capacities are whole numbers in 0 ... 2**62; self-loops (which carry
    nothing), parallel arcs and arcs both ways are allowed.

    Args:
        algorithm: 'auto' (the default: chosen by a look at the network),
            'highest-label' or 'push-relabel' (push-relabel, highest label
            or first in first out), 'partial-augment' (highest label,
            pushing along short paths), 'dinic', 'boykov-kolmogorov',
            'pseudoflow' or 'hybrid'.
        threads: as for maximum_matching (default 1);
            only the matching of a network of the matching shape (unit
            arcs from the source to one side, across, and from the other
            side to the sink) runs on them, every other algorithm on one.

    Returns:
        A Flow: the value (also as flow_value), the flow (a matrix like
        scipy's flow for the first form, an array per arc for the second)
        and a bool per node, True on the source side of a minimum cut.

    Raises:
        NotImplementedError: the module was built without the flow solver.
        ValueError: a matrix that is not square or not of integers, n
            negative or above 2147483647, source or sink or an arc's end not
            a node, a capacity outside 0 ... 2**62, capacities out of the
            source (or into the sink) adding up to more than 2**62, arrays
            of different lengths or not integers, an unknown algorithm, a
            threads count that is not a whole number in [0, 4096].
        MemoryError: the solver ran out of memory.
    """
    if not hasattr(_core, "max_flow"):
        raise NotImplementedError("this build of matchflow has no flow solver: rebuild it "
                                  "from a tree whose fastcore/ library has max_flow.h")
    if len(args) == 3 and hasattr(args[0], "tocsr"):
        if capacities is not None:
            raise ValueError("a matrix holds its capacities: capacities= is for arrays of arcs")
        return _matrix_flow(*args, algorithm, _threads(threads))
    if len(args) != 5:
        raise TypeError("maximum_flow takes (csgraph, source, sink) or "
                        "(tails, heads, n, source, sink)")
    return _arc_flow(*args, capacities, algorithm, _threads(threads))


def _arc_flow(tails, heads, n, source, sink, capacities, algorithm, threads):
    if not isinstance(n, (int, np.integer)) or isinstance(n, bool):
        raise ValueError(f"n must be an integer, got {n!r}")
    if n < 0 or n > _INT32_MAX:
        raise ValueError(f"n must lie in [0, {_INT32_MAX}], got {n}")
    for name, node in (("source", source), ("sink", sink)):
        if not isinstance(node, (int, np.integer)) or isinstance(node, bool):
            raise ValueError(f"{name} must be an integer, got {node!r}")
        if not 0 <= node < n:
            raise ValueError(f"{name} {node} is out of range [0, {n})")
    tails = _index32(tails, n, "tails")
    heads = _index32(heads, n, "heads")
    if tails.size != heads.size:
        raise ValueError(f"tails and heads differ in length: {tails.size} and {heads.size}")
    if capacities is not None:
        capacities = _capacities(capacities, tails.size)
    return Flow(*_core.max_flow(tails, heads, int(n), int(source), int(sink), algorithm or "",
                                capacities, threads))


def _capacities(values, arcs):
    array = _integers(values, "capacities")
    if array.size != arcs:
        raise ValueError(f"capacities has {array.size} entries for {arcs} arcs")
    if array.size and (array.min() < 0 or array.max() > _MAX_CAPACITY):
        i = np.flatnonzero((array < 0) | (array > _MAX_CAPACITY))[0]
        raise ValueError(f"capacities[{i}] = {array[i]} is out of range [0, 2**62]")
    return np.ascontiguousarray(array, dtype=np.int64)


def _matrix_flow(csgraph, source, sink, algorithm, threads):
    from scipy.sparse import csr_matrix

    A = csgraph.tocsr()
    if A.ndim != 2 or A.shape[0] != A.shape[1]:
        raise ValueError(f"the graph must be a square matrix, got shape {A.shape}")
    if A.dtype.kind not in "iu":
        raise ValueError(f"the capacities must be integers, got dtype {A.dtype}")
    n = A.shape[0]
    tails = np.repeat(np.arange(n, dtype=np.int32), np.diff(A.indptr))
    result = _arc_flow(tails, A.indices, n, source, sink, A.data, algorithm, threads)
    flow = csr_matrix((result.flow, (tails, A.indices)), shape=A.shape)
    result.flow = (flow - flow.T).tocsr()
    return result
