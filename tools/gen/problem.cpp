#include "problem.h"

#include <algorithm>
#include <string>

#include "command_line.h"

namespace {
// The matching readers hold 2 × (nodes + edges) arc entries in a signed
// 32-bit count; this bound keeps well inside it.
constexpr double kLargestSize = 500000000.0;
}  // namespace

std::size_t checkedSize(double nodes, double edges) {
  if (nodes + edges > kLargestSize) {
    throw UsageError("these parameters ask for more than 500000000 nodes and edges together");
  }
  return static_cast<std::size_t>(edges);
}

void sortByRows(Bipartite& graph) {
  // A counting sort by first side, then each row sorted on its own: linear
  // but for the short rows' sorts.
  std::vector<std::size_t> start(graph.left + 2, 0);
  for (const Edge& e : graph.edges) ++start[e.tail + 1];
  for (int x = 1; x <= graph.left; ++x) start[x + 1] += start[x];
  std::vector<Edge> sorted(graph.edges.size());
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (const Edge& e : graph.edges) sorted[next[e.tail]++] = e;
  for (int x = 1; x <= graph.left; ++x) {
    std::sort(sorted.begin() + start[x], sorted.begin() + start[x + 1],
              [](const Edge& a, const Edge& b) { return a.head < b.head; });
  }
  graph.edges = std::move(sorted);
}

Network matchingReduction(const Bipartite& graph) {
  Network network;
  network.nodes = graph.left + graph.right + 2;
  network.source = 1;
  network.sink = network.nodes;
  const int firstSide = 1;
  const int secondSide = 1 + graph.left;
  network.arcs.reserve(graph.left + graph.edges.size() + graph.right);
  for (int x = 1; x <= graph.left; ++x) network.arcs.push_back({network.source, firstSide + x});
  for (const Edge& e : graph.edges)
    network.arcs.push_back({firstSide + e.tail, secondSide + e.head});
  for (int y = 1; y <= graph.right; ++y) network.arcs.push_back({secondSide + y, network.sink});
  return network;
}

void checkTerminalTotals(const Network& network) {
  // Each capacity is at most 2^62 and each running total stays at most 2^62
  // before an addition, so no sum below passes 2^63 in unsigned 64 bits.
  std::uint64_t out = 0, in = 0;
  for (std::size_t i = 0; i < network.capacities.size(); ++i) {
    const auto capacity = static_cast<std::uint64_t>(network.capacities[i]);
    if (network.arcs[i].tail == network.source) out += capacity;
    if (network.arcs[i].head == network.sink) in += capacity;
    if (out > kLargestCapacity || in > kLargestCapacity) {
      throw UsageError(std::string("these parameters give a total capacity ") +
                       (out > kLargestCapacity ? "out of the source" : "into the sink") +
                       " above " + std::to_string(kLargestCapacity) +
                       ", more than a solver can add up; lower the capacities or the size");
    }
  }
}

void writeBipartite(Output& out, const Bipartite& graph) {
  out.text("p bipartite-matching ").number(graph.left).text(" ").number(graph.right);
  out.text(" ").number(static_cast<long>(graph.edges.size())).text("\n");
  for (const Edge& e : graph.edges)
    out.text("a ").number(e.tail).text(" ").number(e.head).text("\n");
}

void writeNetwork(Output& out, const Network& network) {
  out.text("p max ").number(network.nodes).text(" ");
  out.number(static_cast<long>(network.arcs.size())).text("\n");
  out.text("n ").number(network.source).text(" s\n");
  out.text("n ").number(network.sink).text(" t\n");
  for (std::size_t i = 0; i < network.arcs.size(); ++i) {
    const Edge& e = network.arcs[i];
    out.text("a ").number(e.tail).text(" ").number(e.head).text(" ");
    out.number(network.capacities.empty() ? 1 : network.capacities[i]).text("\n");
  }
}
