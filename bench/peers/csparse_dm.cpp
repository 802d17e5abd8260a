// peer-csparse-dm: CSparse's Dulmage-Mendelsohn decomposition (cs_dmperm)
// of the biadjacency matrix of a bipartite problem, first side as rows and
// second side as columns. The timed part is cs_dmperm alone, its maximum
// transversal included; the matrix is built in compressed-column form
// before. The report line gives the structural rank as the result and the
// number of fine blocks as the first counter.
//
//     peer-csparse-dm [-d FILE] < PROBLEM
//
// -d writes the decomposition in fastmatch's -d format, rows and columns
// numbered 1 ... N in the order of the problem's sides.
#include <suitesparse/cs.h>

#include <cstdio>
#include <cstring>

#include "peer_report.h"

namespace {

// A pattern matrix with a row per first-side vertex and a column per
// second-side vertex; duplicate edges stay as duplicate entries.
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

void entries(FILE* out, char letter, const int* values, int count) {
  for (int k = 0; k < count; ++k) std::fprintf(out, "%c %d\n", letter, values[k] + 1);
}

bool write(const char* path, const Bipartite& graph, const csd* dm) {
  FILE* out = std::fopen(path, "w");
  if (out == nullptr) return false;
  std::fprintf(out, "c dulmage-mendelsohn %d %d\nc structural rank %d\nc blocks %d\n", graph.left,
               graph.right, dm->rr[3], dm->nb);
  std::fprintf(out, "c coarse rows %d %d %d %d %d\n", dm->rr[0] + 1, dm->rr[1] + 1, dm->rr[2] + 1,
               dm->rr[3] + 1, dm->rr[4] + 1);
  std::fprintf(out, "c coarse columns %d %d %d %d %d\n", dm->cc[0] + 1, dm->cc[1] + 1,
               dm->cc[2] + 1, dm->cc[3] + 1, dm->cc[4] + 1);
  entries(out, 'p', dm->p, graph.left);
  entries(out, 'q', dm->q, graph.right);
  entries(out, 'r', dm->r, dm->nb + 1);
  entries(out, 's', dm->s, dm->nb + 1);
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc == 3 && std::strcmp(argv[1], "-d") == 0 ? argv[2] : nullptr;
  if (argc != 1 && path == nullptr) {
    std::fprintf(stderr, "usage: peer-csparse-dm [-d FILE] < PROBLEM\n");
    return 2;
  }
  const Bipartite graph = matchingOf(readProblem(stdin));
  cs* matrix = biadjacency(graph);
  const double start = cpuSeconds();
  csd* dm = matrix == nullptr ? nullptr : cs_dmperm(matrix, 0);
  const double seconds = cpuSeconds() - start;
  if (dm == nullptr) {
    std::fprintf(stderr, "out of memory\n");
    return 1;
  }
  if (path != nullptr && !write(path, graph, dm)) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  reportCounted(graph, dm->rr[3], dm->nb, seconds);
  cs_dfree(dm);
  cs_spfree(matrix);
}
