// peer-igraph-flow: igraph's maximum flow value on a network with capacities
// or on the matching reduction of a bipartite problem. igraph's capacities
// are doubles, exact up to 2^53. Counters: pushes and relabels from igraph's
// flow statistics.
#include <igraph/igraph.h>

#include <cstdio>

#include "peer_report.h"

int main() {
  const PeerProblem problem = readProblem(stdin);
  const Network network = networkOf(problem);
  igraph_vector_int_t ends;
  igraph_vector_int_init(&ends, 2 * static_cast<igraph_integer_t>(network.arcs.size()));
  for (std::size_t i = 0; i < network.arcs.size(); ++i) {
    VECTOR(ends)[2 * i] = network.arcs[i].first;
    VECTOR(ends)[2 * i + 1] = network.arcs[i].second;
  }
  igraph_vector_t capacities;
  igraph_vector_init(&capacities, static_cast<igraph_integer_t>(network.arcs.size()));
  for (std::size_t i = 0; i < network.arcs.size(); ++i)
    VECTOR(capacities)[i] = static_cast<igraph_real_t>(network.capacities[i]);
  igraph_t g;
  igraph_create(&g, &ends, network.nodes, IGRAPH_DIRECTED);
  igraph_real_t value = 0;
  igraph_maxflow_stats_t stats;
  const double start = cpuSeconds();
  igraph_maxflow_value(&g, &value, network.source, network.sink, &capacities, &stats);
  const double seconds = cpuSeconds() - start;
  reportFlow(problem, static_cast<long>(value), stats.nopush, stats.norelabel, seconds);
  igraph_destroy(&g);
  igraph_vector_int_destroy(&ends);
  igraph_vector_destroy(&capacities);
}
