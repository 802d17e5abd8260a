// peer-csparse-matching: CSparse's maximum transversal (cs_maxtrans) on the
// biadjacency matrix of a bipartite problem, first side as rows and second
// side as columns. The timed part is cs_maxtrans alone; the matrix is built
// in compressed-column form before.
#include <suitesparse/cs.h>

#include <cstdio>
#include <cstdlib>

#include "peer_report.h"

namespace {

// A pattern matrix (no values) with a row per first-side vertex and a column
// per second-side vertex; duplicate edges stay as duplicate entries.
cs* biadjacency(const Bipartite& graph) {
  const int entries = static_cast<int>(graph.edges.size());
  cs* triplet = cs_spalloc(graph.left, graph.right, entries, 0, 1);
  if (triplet == nullptr) return nullptr;
  for (int k = 0; k < entries; ++k) {
    triplet->i[k] = graph.edges[k].first;
    triplet->p[k] = graph.edges[k].second;
  }
  triplet->nz = entries;
  cs* matrix = cs_compress(triplet);
  cs_spfree(triplet);
  return matrix;
}

}  // namespace

int main() {
  const Bipartite graph = matchingOf(readProblem(stdin));
  cs* matrix = biadjacency(graph);
  if (matrix == nullptr) {
    std::fprintf(stderr, "out of memory\n");
    return 1;
  }
  const double start = cpuSeconds();
  int* jmatch = cs_maxtrans(matrix, 0);
  const double seconds = cpuSeconds() - start;
  if (jmatch == nullptr) {
    std::fprintf(stderr, "out of memory\n");
    return 1;
  }
  long size = 0;
  for (int row = 0; row < graph.left; ++row) size += jmatch[row] >= 0;
  reportMatching(graph, size, seconds);
  cs_free(jmatch);
  cs_spfree(matrix);
}
