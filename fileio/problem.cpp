#include "fileio/problem.h"

#include <algorithm>
#include <new>

#include "fileio/input_error.h"
#include "memory_budget.h"

namespace fileio {

namespace {

// The solvers' problem lines count nodes and list entries in 32 bits.
constexpr std::uint64_t kLargestCount = INT32_MAX;
// Room reserved at once; a file that declares more grows the list as read.
constexpr std::uint64_t kLargestReserve = std::uint64_t{1} << 24;

}  // namespace

void reserveEdges(std::vector<Edge>& edges, std::uint64_t declared) {
  if (declared > memoryBudget() / sizeof(Edge)) throw std::bad_alloc();
  edges.reserve(std::min(declared, kLargestReserve));
}

// As the solvers' problem-line parsers judge: a bipartite problem's sides
// and entries, a network's nodes and arcs.
void checkSolverLimits(const Problem& p) {
  const std::uint64_t edges = p.edges.size();
  const bool refused =
      p.isNetwork ? p.nodes < 1 || p.nodes > kLargestCount || edges < 1 || edges > kLargestCount / 2
                  : p.left + p.right + 2 > kLargestCount || p.left + p.right + edges == 0 ||
                        2 * (p.left + p.right + edges) > kLargestCount;
  if (refused) {
    throw InputError(0, "every solver would refuse its problem line '" + problemLine(p) +
                            "': bad value of a parameter in the problem line");
  }
}

std::string problemLine(const Problem& p) {
  const std::string edges = std::to_string(p.edges.size());
  if (p.isNetwork) return "p max " + std::to_string(p.nodes) + " " + edges;
  return "p bipartite-matching " + std::to_string(p.left) + " " + std::to_string(p.right) + " " +
         edges;
}

}  // namespace fileio
