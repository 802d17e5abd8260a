// peer-lemon-flow: LEMON's Preflow (its first phase, which finds the value
// and a minimum cut) on a network with capacities or on the matching
// reduction of a bipartite problem. No counters.
#include <lemon/preflow.h>
#include <lemon/smart_graph.h>

#include <cstdio>
#include <vector>

#include "peer_report.h"

int main() {
  const PeerProblem problem = readProblem(stdin);
  const Network network = networkOf(problem);
  lemon::SmartDigraph g;
  g.reserveNode(network.nodes);
  g.reserveArc(static_cast<int>(network.arcs.size()));
  std::vector<lemon::SmartDigraph::Node> nodes(network.nodes);
  for (auto& node : nodes) node = g.addNode();
  lemon::SmartDigraph::ArcMap<long> capacity(g);
  for (size_t i = 0; i < network.arcs.size(); ++i) {
    const Pair& arc = network.arcs[i];
    capacity[g.addArc(nodes[arc.first], nodes[arc.second])] = network.capacities[i];
  }
  lemon::Preflow<lemon::SmartDigraph, lemon::SmartDigraph::ArcMap<long>> preflow(
      g, capacity, nodes[network.source], nodes[network.sink]);
  const double start = cpuSeconds();
  preflow.runMinCut();
  const double seconds = cpuSeconds() - start;
  reportFlow(problem, preflow.flowValue(), 0, 0, seconds);
}
