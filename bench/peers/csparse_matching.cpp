// peer-csparse-matching: CSparse's maximum transversal (cs_maxtrans) on the
// biadjacency matrix of a bipartite problem, first side as rows and second
// side as columns. The timed part is cs_maxtrans alone; the matrix is built
// in compressed-column form before, parallel edges made one entry.
#include <suitesparse/cs.h>

#include <cstdio>
#include <cstdlib>

#include "csparse_matrix.h"
#include "peer_report.h"

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
