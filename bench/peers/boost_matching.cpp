// peer-boost-matching: Boost Graph's Edmonds maximum cardinality matching on
// the bipartite graph (first side 0 … left - 1, second side after it).
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/max_cardinality_matching.hpp>
#include <cstdio>
#include <vector>

#include "peer_report.h"

int main() {
  const Bipartite graph = matchingOf(readProblem(stdin));
  using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::undirectedS>;
  Graph g(graph.left + graph.right);
  for (const Pair& e : graph.edges) boost::add_edge(e.first, graph.left + e.second, g);
  std::vector<boost::graph_traits<Graph>::vertex_descriptor> mate(graph.left + graph.right);
  const double start = cpuSeconds();
  boost::edmonds_maximum_cardinality_matching(g, mate.data());
  const double seconds = cpuSeconds() - start;
  reportMatching(graph, static_cast<long>(boost::matching_size(g, mate.data())), seconds);
}
