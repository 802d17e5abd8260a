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

// What the result files claim, in g's numbers: a matching file's pairs
// (left, right) with its "c size K" line, a cover file's vertices of each
// side with its "c size K", a flow file's arcs (node indices from 0), one
// per unit of flow, with its "c flow value F", and a cut file's source side
// with its "c minimum cut capacity F".
struct MatchingClaim {
  int64_t size = 0;
  std::vector<Pair> pairs;
};
struct CoverClaim {
  int64_t size = 0;
  std::vector<int64_t> left, right;
};
struct FlowClaim {
  int64_t value = 0;
  std::vector<Pair> arcs;
};
struct CutClaim {
  int64_t capacity = 0;
  std::vector<int64_t> side;
};

// Each returns an empty string when the claim holds, otherwise what is wrong.
std::string checkMatching(const Bipartite& g, const std::vector<Pair>& pairs);
// The pairs are as many as the file says and form a maximum matching.
std::string checkMatchingClaim(const Bipartite& g, const MatchingClaim& matching);
// The matching holds, and the cover, as large as its file says, touches
// every edge with as many vertices as the matching has pairs.
std::string checkCover(const Bipartite& g, const MatchingClaim& matching, const CoverClaim& cover);
std::string checkMatchingSize(const Bipartite& g, int64_t claimed);
std::string checkFlowValue(const Network& g, int64_t claimed);

// A flow file claimed to be a maximum flow: each arc must be an arc of g (a
// parallel arc as often as g has it), the flow must be conserved at every
// node but the terminals, its value must be the one its file gives, and the
// maximum.
std::string checkFlowClaim(const Network& g, const FlowClaim& flow);
// A cut file's source side against a flow: the flow must be feasible with
// the value its file gives, the side must hold the source and not the sink,
// and exactly as many arcs of g as the flow's value must leave it, as many
// as the cut file says (a cut no larger than a flow proves both optimal).
std::string checkCut(const Network& g, const FlowClaim& flow, const CutClaim& cut);

// A maximum matching of g, found by augmenting paths.
std::vector<Pair> maximumMatching(const Bipartite& g);

}  // namespace verifier
