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

// The largest capacity a network may give an arc, and the most units a
// flow file may put on one line.
constexpr int64_t kLargestCapacity = int64_t(1) << 62;

// Sums of capacities and of flow: 2^31 arcs of 2^62 each add up to less than
// 2^93, which this type holds exactly.
using Total = __int128;
std::string toString(Total value);

// Nodes 0 … nodes − 1; arc i runs from arcs[i].first to arcs[i].second with
// capacity capacities[i], in 0 … kLargestCapacity. `capacities` is either
// empty, when every arc has capacity 1, or holds one capacity per arc.
struct Network {
  int64_t nodes = 0;
  int64_t source = 0;
  int64_t sink = 0;
  std::vector<Pair> arcs;
  std::vector<int64_t> capacities;

  int64_t capacity(size_t arc) const { return capacities.empty() ? 1 : capacities[arc]; }
};

// What the result files claim, in g's numbers: a matching file's pairs
// (left, right) with its "c size K" line, a cover file's vertices of each
// side with its "c size K", a flow file's lines (node indices from 0, the
// units each puts on an arc) with its "c flow value F", and a cut file's
// source side with its "c minimum cut capacity F".
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
  std::vector<int64_t> units;  // on each of `arcs`; empty when each carries 1

  int64_t unitsOn(size_t line) const { return units.empty() ? 1 : units[line]; }
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

// A flow file claimed to be a maximum flow: every line must name an arc of g, the units on each
// ordered pair of nodes must fit in the capacities of g's arcs between
// them, the flow must be conserved at every node but the terminals, its
// value must be the one its file gives, and the maximum.
std::string checkFlowClaim(const Network& g, const FlowClaim& flow);
// A cut file's source side against a flow: the flow must be feasible with
// the value its file gives, the side must hold the source and not the sink,
// and the capacities of the arcs of g that leave it must add up to the
// flow's value and to what the cut file says (a cut no larger than a flow
// proves both optimal).
std::string checkCut(const Network& g, const FlowClaim& flow, const CutClaim& cut);

// A maximum matching of g, found by augmenting paths.
std::vector<Pair> maximumMatching(const Bipartite& g);

}  // namespace verifier
