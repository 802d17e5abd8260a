// The verifier's own maximum flow and maximum matching, fast enough for
// problems of ten million arcs: Dinic's blocking flows on the network with
// its capacities, Hopcroft-Karp on the bipartite graph. Written for the verifier alone; it
// shares no code with the solvers it judges.
#pragma once

#include <cstdint>
#include <vector>

#include "verifier.h"

namespace verifier {

// The value of a maximum flow of g, and the nodes the source still reaches
// in its residual network, which form a minimum cut.
struct MaximumFlow {
  Total value = 0;
  std::vector<uint8_t> reached;
};
MaximumFlow maximumFlow(const Network& g);

// The nodes the source reaches in the residual network of a flow that puts
// flow[i] units (0 ... g.capacity(i)) on arc i of g.
std::vector<uint8_t> residualReach(const Network& g, const std::vector<int64_t>& flow);

// A maximum matching of g as (left, right) pairs.
std::vector<Pair> hopcroftKarp(const Bipartite& g);

}  // namespace verifier
