// peer-igraph-matching: igraph's maximum bipartite matching.
#include <igraph/igraph.h>

#include <cfloat>
#include <cstdio>

#include "peer_report.h"

int main() {
  const Bipartite graph = matchingOf(readProblem(stdin));
  const igraph_integer_t n = graph.left + graph.right;
  igraph_vector_int_t ends;
  igraph_vector_int_init(&ends, 2 * static_cast<igraph_integer_t>(graph.edges.size()));
  for (std::size_t i = 0; i < graph.edges.size(); ++i) {
    VECTOR(ends)[2 * i] = graph.edges[i].first;
    VECTOR(ends)[2 * i + 1] = graph.left + graph.edges[i].second;
  }
  igraph_t g;
  igraph_create(&g, &ends, n, IGRAPH_UNDIRECTED);
  igraph_vector_bool_t types;
  igraph_vector_bool_init(&types, n);
  for (igraph_integer_t v = graph.left; v < n; ++v) VECTOR(types)[v] = true;
  igraph_integer_t size = 0;
  const double start = cpuSeconds();
  igraph_maximum_bipartite_matching(&g, &types, &size, nullptr, nullptr, nullptr, DBL_EPSILON);
  const double seconds = cpuSeconds() - start;
  reportMatching(graph, static_cast<long>(size), seconds);
  igraph_vector_bool_destroy(&types);
  igraph_destroy(&g);
  igraph_vector_int_destroy(&ends);
}
