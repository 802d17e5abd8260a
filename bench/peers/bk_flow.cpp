// peer-bk-flow: the Boykov-Kolmogorov max-flow library on a network with
// capacities or on the matching reduction of a bipartite problem. The
// library keeps the source and the sink out of its node set: an arc leaving
// the source becomes a source capacity of its head, an arc entering the sink
// a sink capacity of its tail. Arcs into the source or out of the sink carry
// no flow and are left out. The library's capacities and flow value are
// 32-bit: a network whose capacities out of the source add up to more is
// refused. No counters.
#include <maxflow.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "peer_report.h"

namespace {

using Graph = maxflow::Graph_III;

void fail(const char* message) {
  std::fprintf(stderr, "%s\n", message);
  std::exit(1);
}

// The interior arcs of the network, and its source-to-sink arcs added up in
// `direct`, each of which adds its capacity to the flow.
void build(const Network& network, Graph& graph, long& direct) {
  graph.add_node(network.nodes);
  long out_of_source = 0;
  for (size_t i = 0; i < network.arcs.size(); ++i) {
    const auto [tail, head] = network.arcs[i];
    const long capacity = network.capacities[i];
    if (tail == head || head == network.source || tail == network.sink) continue;
    if (tail == network.source && (out_of_source += capacity) > INT_MAX)
      fail("capacities beyond the library's 32-bit range");
    if (capacity > INT_MAX) fail("capacities beyond the library's 32-bit range");
    const int c = static_cast<int>(capacity);
    if (tail == network.source && head == network.sink) {
      direct += c;
    } else if (tail == network.source) {
      graph.add_tweights(head, c, 0);
    } else if (head == network.sink) {
      graph.add_tweights(tail, 0, c);
    } else {
      graph.add_edge(tail, head, c, 0);
    }
  }
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
