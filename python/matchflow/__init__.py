"""matchflow: maximum bipartite matching and maximum flow.

The fast solvers run in-process on the arrays you have:

    maximum_matching(A)   A: scipy sparse matrix, 2-D numpy array or (rows, cols)
    dulmage_mendelsohn(A) the decomposition, as CSparse's cs_dmperm gives it
    structural_rank(A)    as scipy.sparse.csgraph.structural_rank
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
from ._solvers import (DulmageMendelsohn, Flow, Matching, dulmage_mendelsohn, maximum_flow,
                       maximum_matching, structural_rank)
from ._suite import (BipartiteProblem, CompareError, NetworkProblem, Report, RunError, compare,
                     find_bindir, read_problem, run, write_problem)

__all__ = ["maximum_matching", "maximum_flow", "dulmage_mendelsohn", "structural_rank", "Matching",
           "Flow", "DulmageMendelsohn", "run", "compare",
           "find_bindir", "read_problem", "write_problem", "Report", "BipartiteProblem",
           "NetworkProblem", "RunError", "CompareError"]
