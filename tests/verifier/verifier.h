// An independent check of the solvers' results, written apart from them and
// kept short: a matching is checked for validity and for maximality by a
// vertex cover of the same size (König), a claimed matching size by a
// maximum matching of its own with such a cover, and a claimed flow value by
// a flow of that value and a cut of that capacity.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace verifier {

using Pair = std::pair<int64_t, int64_t>;

// Vertices 1 … left on one side and 1 … right on the other; an edge is a
// (left, right) pair. Parallel edges may repeat.
struct Bipartite {
  int64_t left = 0;
  int64_t right = 0;
  std::vector<Pair> edges;
};

// Nodes 0 … nodes − 1; every arc (tail, head) has capacity 1.
struct Network {
  int64_t nodes = 0;
  int64_t source = 0;
  int64_t sink = 0;
  std::vector<Pair> arcs;
};

// Each returns an empty string when the claim holds, otherwise what is wrong.
std::string checkMatching(const Bipartite& g, const std::vector<Pair>& pairs);
std::string checkMatchingSize(const Bipartite& g, int64_t claimed);
std::string checkFlowValue(const Network& g, int64_t claimed);

// A flow file's arcs claimed to form a maximum flow: each must be an arc of
// g (a parallel arc as often as g has it), the flow must be conserved at
// every node but the terminals, and its value must be the maximum.
std::string checkFlowArcs(const Network& g, const std::vector<Pair>& flow);
// A cut file's source side against a flow: the flow must be feasible, the
// side must hold the source and not the sink, and exactly as many arcs of g
// as the flow's value must leave it (a cut no larger than a flow proves
// both optimal).
std::string checkCut(const Network& g, const std::vector<Pair>& flow,
                     const std::vector<int64_t>& side);

// A maximum matching of g, found by augmenting paths.
std::vector<Pair> maximumMatching(const Bipartite& g);

}  // namespace verifier
