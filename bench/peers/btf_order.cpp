// peer-btf-order: SuiteSparse BTF's block triangular form (btf_order: a
// maximum transversal, then the strongly connected components) of the
// biadjacency matrix of a bipartite problem, first side as rows; BTF takes
// square matrices alone, so a rectangular one is padded with empty rows or
// columns, which leave the structural rank as it is. The timed part is
// btf_order alone; the matrix is built in compressed-column form before.
// The report line gives the structural rank as the result and the number
// of blocks as the first counter. On a structurally singular matrix BTF's
// blocks are those of its own zero-free diagonal completion, not the fine
// Dulmage-Mendelsohn blocks.
#include <suitesparse/btf.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "peer_report.h"

int main() {
  const Bipartite graph = matchingOf(readProblem(stdin));
  const int n = std::max(graph.left, graph.right);
  // Compressed columns by a counting sort; duplicate edges stay.
  std::vector<int> starts(n + 1, 0), rows(graph.edges.size());
  for (const Pair& edge : graph.edges) ++starts[edge.second + 1];
  for (int c = 0; c < n; ++c) starts[c + 1] += starts[c];
  std::vector<int> next(starts.begin(), starts.end() - 1);
  for (const Pair& edge : graph.edges) rows[next[edge.second]++] = edge.first;
  std::vector<int> p(n), q(n), r(n + 1), work(5 * static_cast<size_t>(n));
  double transversal_work = 0;
  int rank = 0;
  const double start = cpuSeconds();
  const int blocks = btf_order(n, starts.data(), rows.data(), 0, &transversal_work, p.data(),
                               q.data(), r.data(), &rank, work.data());
  const double seconds = cpuSeconds() - start;
  reportCounted(graph, rank, blocks, seconds);
}
