"""matchflow: maximum bipartite matching and maximum flow.

The fast solvers run in-process on the arrays you have:

    maximum_matching(A)   A: scipy sparse matrix, 2-D numpy array or (rows, cols)
    maximum_flow(csgraph, source, sink)   as scipy.sparse.csgraph.maximum_flow
    maximum_flow(tails, heads, n, source, sink, capacities=None)

and the suite's command-line programs run from Python:

    run(program, problem, *options)     one program, its parsed report line
    compare(problems, programs=None)    the table of tools/compare
    read_problem(path), write_problem(problem, path)

__version__ is the suite's version (the project() line of its CMakeLists.txt).
"""

try:
    from ._build_info import VERSION as __version__
except ImportError:  # a package put together by hand, without the build's record
    __version__ = "unknown"
from ._solvers import Flow, Matching, maximum_flow, maximum_matching
from ._suite import (BipartiteProblem, CompareError, NetworkProblem, Report, RunError, compare,
                     find_bindir, read_problem, run, write_problem)

__all__ = ["maximum_matching", "maximum_flow", "Matching", "Flow", "run", "compare",
           "find_bindir", "read_problem", "write_problem", "Report", "BipartiteProblem",
           "NetworkProblem", "RunError", "CompareError"]
