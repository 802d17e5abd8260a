// peer-bk-flow: the Boykov-Kolmogorov max-flow library on a unit network or
// on the matching reduction of a bipartite problem. The library keeps the
// source and the sink out of its node set: an arc leaving the source becomes
// a source capacity of its head, an arc entering the sink a sink capacity of
// its tail. Arcs into the source or out of the sink carry no flow and are
// left out. No counters.
#include <maxflow.h>

#include <cstdio>
#include <cstdlib>

#include "peer_report.h"

namespace {

using Graph = maxflow::Graph_III;

// The interior arcs of the network, and its source-to-sink arcs counted in
// `direct`, each of which adds one unit to the flow.
void build(const Network& network, Graph& graph, long& direct) {
  graph.add_node(network.nodes);
  for (const Pair& arc : network.arcs) {
    const auto [tail, head] = arc;
    if (tail == head || head == network.source || tail == network.sink) continue;
    if (tail == network.source && head == network.sink) {
      ++direct;
    } else if (tail == network.source) {
      graph.add_tweights(head, 1, 0);
    } else if (head == network.sink) {
      graph.add_tweights(tail, 0, 1);
    } else {
      graph.add_edge(tail, head, 1, 0);
    }
  }
}

void fail(const char* message) {
  std::fprintf(stderr, "%s\n", message);
  std::exit(1);
}

}  // namespace

int main() {
  const PeerProblem problem = readProblem(stdin);
  const Network network = networkOf(problem);
  Graph graph(network.nodes, static_cast<int>(network.arcs.size()), fail);
  long direct = 0;
  build(network, graph, direct);
  const double start = cpuSeconds();
  const long value = graph.maxflow() + direct;
  const double seconds = cpuSeconds() - start;
  reportFlow(problem, value, 0, 0, seconds);
}
