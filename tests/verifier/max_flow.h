// The verifier's own maximum flow and maximum matching, fast enough for
// problems of ten million arcs: Dinic's blocking flows on the unit network,
// Hopcroft-Karp on the bipartite graph. Written for the verifier alone; it
// shares no code with the solvers it judges.
#pragma once

#include <cstdint>
#include <vector>

#include "verifier.h"

namespace verifier {

// A maximum flow of g: its value, the flow on every arc (in the order of
// g.arcs), and the nodes the source still reaches in the residual network,
// which form a minimum cut.
struct MaximumFlow {
  int64_t value = 0;
  std::vector<uint8_t> flow;
  std::vector<uint8_t> reached;
};
MaximumFlow maximumFlow(const Network& g);

// The nodes the source reaches in the residual network of a flow that puts
// flow[i] units (0 or 1) on arc i of g.
std::vector<uint8_t> residualReach(const Network& g, const std::vector<uint8_t>& flow);

// A maximum matching of g as (left, right) pairs.
std::vector<Pair> hopcroftKarp(const Bipartite& g);

}  // namespace verifier
