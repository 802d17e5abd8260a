#include "csparse_matrix.h"

#include <algorithm>
#include <vector>

cs* biadjacency(const Bipartite& graph) {
  // By column, then row; each entry once.
  std::vector<Pair> entries(graph.edges);
  std::sort(entries.begin(), entries.end(), [](const Pair& a, const Pair& b) {
    return a.second != b.second ? a.second < b.second : a.first < b.first;
  });
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  const int count = static_cast<int>(entries.size());
  cs* matrix = cs_spalloc(graph.left, graph.right, count, 0, 0);
  if (matrix == nullptr) return nullptr;
  int next = 0;
  for (int col = 0; col < graph.right; ++col) {
    matrix->p[col] = next;
    for (; next < count && entries[next].second == col; ++next)
      matrix->i[next] = entries[next].first;
  }
  matrix->p[graph.right] = count;
  return matrix;
}
