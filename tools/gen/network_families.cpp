#include "network_families.h"

#include <string>

namespace {

// Nodes 2 … nodes - 1 lie between the source 1 and the sink `nodes`.
struct Inner {
  int first;
  int count;

  int pick(Random& random) const { return first + static_cast<int>(random.below(count)); }
};

Network withTerminals(int nodes) { return Network{nodes, 1, nodes, {}, {}}; }

void checkArcBudget(const Parameters& p, double fixedArcs) {
  if (p.real("arcs") < fixedArcs) {
    throw UsageError("--arcs must be at least " + std::to_string(static_cast<long>(fixedArcs)) +
                     " for these parameters");
  }
}

void addTerminalArcs(Network& network, const Inner& inner, int count, Random& random) {
  for (int i = 0; i < count; ++i) network.arcs.push_back({network.source, inner.pick(random)});
  for (int i = 0; i < count; ++i) network.arcs.push_back({inner.pick(random), network.sink});
}

Edge innerArc(const Inner& inner, Random& random) {
  const int tail = inner.pick(random);
  int head = inner.pick(random);
  while (inner.count > 1 && head == tail) head = inner.pick(random);
  return {tail, head};
}

// A sparse random digraph on the inner nodes with `terminal-arcs` arcs out of
// the source and into the sink; with a few arcs per node the inner graph is
// one large strongly connected piece, so the source reaches the sink along
// many paths.
Network randomSparse(const Parameters& p, Random& random) {
  Network network = withTerminals(p.count("nodes"));
  const Inner inner{2, network.nodes - 2};
  const int terminal = p.count("terminal-arcs");
  checkArcBudget(p, 2.0 * terminal);
  const std::size_t m = checkedSize(network.nodes, p.count("arcs"));
  network.arcs.reserve(m);
  addTerminalArcs(network, inner, terminal, random);
  while (network.arcs.size() < m) network.arcs.push_back(innerArc(inner, random));
  return network;
}

}  // namespace

// Layers of `width` nodes; the source feeds every node of the first layer,
// every node sends `degree` arcs to random nodes of the next layer, and every
// node of the last layer feeds the sink.
Network layered(const Parameters& p, Random& random) {
  const int layers = p.count("layers");
  const int width = p.count("width");
  const int degree = p.count("degree");
  const double nodes = static_cast<double>(layers) * width + 2;
  const std::size_t m = checkedSize(nodes, 2.0 * width + (layers - 1.0) * width * degree);
  Network network = withTerminals(static_cast<int>(nodes));
  network.arcs.reserve(m);
  auto node = [width](int layer, int j) { return 2 + layer * width + j; };
  for (int j = 0; j < width; ++j) network.arcs.push_back({network.source, node(0, j)});
  for (int layer = 0; layer + 1 < layers; ++layer) {
    for (int j = 0; j < width; ++j) {
      for (int k = 0; k < degree; ++k) {
        network.arcs.push_back({node(layer, j), node(layer + 1, random.below(width))});
      }
    }
  }
  for (int j = 0; j < width; ++j) network.arcs.push_back({node(layers - 1, j), network.sink});
  return network;
}

namespace {

// The inner nodes form one directed ring; random inner arcs are added, each
// followed by its reverse with probability `reverse` (a two-node cycle) and
// by a copy of itself with probability `parallel`.
Network cyclic(const Parameters& p, Random& random) {
  Network network = withTerminals(p.count("nodes"));
  const Inner inner{2, network.nodes - 2};
  const int terminal = p.count("terminal-arcs");
  checkArcBudget(p, 2.0 * terminal + inner.count);
  const std::size_t m = checkedSize(network.nodes, p.count("arcs"));
  network.arcs.reserve(m + 2);
  addTerminalArcs(network, inner, terminal, random);
  for (int i = 0; i < inner.count; ++i) {
    network.arcs.push_back({inner.first + i, inner.first + (i + 1) % inner.count});
  }
  while (network.arcs.size() < m) {
    const Edge arc = innerArc(inner, random);
    network.arcs.push_back(arc);
    if (random.unit() < p.real("reverse")) network.arcs.push_back({arc.head, arc.tail});
    if (random.unit() < p.real("parallel")) network.arcs.push_back(arc);
  }
  network.arcs.resize(m);
  return network;
}

const FamilySpec kRandom{
    "random",
    "sparse random digraph with many source-sink paths",
    {{"nodes", 10000, 3, true, "nodes, source and sink included"},
     {"arcs", 50000, 1, true, "arcs"},
     {"terminal-arcs", 1000, 1, true, "arcs out of the source and into the sink"}}};

const FamilySpec kLayered{"layered",
                          "layers of nodes with arcs between consecutive layers",
                          {{"layers", 10, 1, true, "layers"},
                           {"width", 1000, 1, true, "nodes per layer"},
                           {"degree", 3, 1, true, "arcs from each node to the next layer"}}};

const FamilySpec kCyclic{
    "cyclic",
    "a ring plus random arcs, with two-node cycles and parallel arcs",
    {{"nodes", 10000, 3, true, "nodes, source and sink included"},
     {"arcs", 50000, 1, true, "arcs"},
     {"terminal-arcs", 1000, 1, true, "arcs out of the source and into the sink"},
     {"reverse", 0.3, 0, false, "probability of adding an arc's reverse", 1},
     {"parallel", 0.2, 0, false, "probability of doubling an arc", 1}}};

}  // namespace

const std::vector<NetworkFamily>& networkFamilies() {
  static const std::vector<NetworkFamily> families{
      {kRandom, randomSparse}, {kLayered, layered}, {kCyclic, cyclic}};
  return families;
}
