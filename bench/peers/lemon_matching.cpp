// peer-lemon-matching: LEMON's MaxMatching (general maximum cardinality
// matching, with its greedy start) on the bipartite graph.
#include <lemon/matching.h>
#include <lemon/smart_graph.h>

#include <cstdio>
#include <vector>

#include "peer_report.h"

int main() {
  const Bipartite graph = matchingOf(readProblem(stdin));
  lemon::SmartGraph g;
  g.reserveNode(graph.left + graph.right);
  g.reserveEdge(static_cast<int>(graph.edges.size()));
  std::vector<lemon::SmartGraph::Node> nodes(graph.left + graph.right);
  for (auto& node : nodes) node = g.addNode();
  for (const Pair& e : graph.edges) g.addEdge(nodes[e.first], nodes[graph.left + e.second]);
  lemon::MaxMatching<lemon::SmartGraph> matching(g);
  const double start = cpuSeconds();
  matching.run();
  const double seconds = cpuSeconds() - start;
  reportMatching(graph, matching.matchingSize(), seconds);
}
