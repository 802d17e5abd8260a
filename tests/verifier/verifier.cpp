#include "verifier.h"

#include <algorithm>
#include <deque>

#include "max_flow.h"

namespace verifier {

namespace {

using Adjacency = std::vector<std::vector<int64_t>>;

// Lists of the right-side neighbours of every left vertex.
Adjacency leftLists(const Bipartite& g) {
  Adjacency adj(g.left + 1);
  for (const Pair& e : g.edges) adj[e.first].push_back(e.second);
  return adj;
}

std::string describe(const char* what, int64_t a, int64_t b) {
  return std::string(what) + " (" + std::to_string(a) + ", " + std::to_string(b) + ")";
}

// Mates on both sides (0 = free), or a fault when a pair is no edge or a
// vertex is matched twice.
std::string mates(const Bipartite& g, const std::vector<Pair>& pairs, std::vector<int64_t>& left,
                  std::vector<int64_t>& right) {
  left.assign(g.left + 1, 0);
  right.assign(g.right + 1, 0);
  Adjacency adj = leftLists(g);
  for (const Pair& p : pairs) {
    auto [u, v] = p;
    if (u < 1 || u > g.left || v < 1 || v > g.right) return describe("pair out of range", u, v);
    bool edge = false;
    for (int64_t w : adj[u]) edge = edge || w == v;
    if (!edge) return describe("pair is not an edge", u, v);
    if (left[u] != 0 || right[v] != 0) return describe("vertex matched twice in", u, v);
    left[u] = v;
    right[v] = u;
  }
  return "";
}

}  // namespace

// Alternating search from every free left vertex. If it reaches a free right
// vertex the matching can grow; otherwise the unreached left vertices and the
// reached right vertices cover every edge, and a cover is never smaller than
// a matching, so a cover of the matching's size proves it maximum.
std::string checkMatching(const Bipartite& g, const std::vector<Pair>& pairs) {
  std::vector<int64_t> left, right;
  std::string fault = mates(g, pairs, left, right);
  if (!fault.empty()) return fault;
  Adjacency adj = leftLists(g);
  std::vector<char> leftReached(g.left + 1, 0), rightReached(g.right + 1, 0);
  std::deque<int64_t> queue;
  for (int64_t u = 1; u <= g.left; ++u) {
    if (left[u] == 0) {
      leftReached[u] = 1;
      queue.push_back(u);
    }
  }
  for (; !queue.empty(); queue.pop_front()) {
    for (int64_t v : adj[queue.front()]) {
      if (rightReached[v]) continue;
      if (right[v] == 0) return describe("augmenting path ends at right vertex", v, queue.front());
      rightReached[v] = 1;
      leftReached[right[v]] = 1;
      queue.push_back(right[v]);
    }
  }
  int64_t cover = 0;
  for (int64_t u = 1; u <= g.left; ++u) cover += !leftReached[u];
  for (int64_t v = 1; v <= g.right; ++v) cover += rightReached[v];
  for (const Pair& e : g.edges)
    if (leftReached[e.first] && !rightReached[e.second])
      return describe("uncovered edge", e.first, e.second);
  if (cover != static_cast<int64_t>(pairs.size()))
    return "cover of " + std::to_string(cover) + " for a matching of " +
           std::to_string(pairs.size());
  return "";
}

std::string checkMatchingClaim(const Bipartite& g, const MatchingClaim& matching) {
  if (matching.size != int64_t(matching.pairs.size()))
    return "c size " + std::to_string(matching.size) + " claimed, the file holds " +
           std::to_string(matching.pairs.size()) + " pairs";
  return checkMatching(g, matching.pairs);
}

std::string checkCover(const Bipartite& g, const MatchingClaim& matching, const CoverClaim& cover) {
  std::string fault = checkMatchingClaim(g, matching);
  if (!fault.empty()) return fault;
  const size_t vertices = cover.left.size() + cover.right.size();
  if (cover.size != int64_t(vertices))
    return "c size " + std::to_string(cover.size) + " claimed, the cover file holds " +
           std::to_string(vertices) + " vertices";
  std::vector<char> leftIn(g.left + 1, 0), rightIn(g.right + 1, 0);
  for (int64_t u : cover.left) {
    if (u < 1 || u > g.left || leftIn[u]) return "left cover vertex out of range or repeated";
    leftIn[u] = 1;
  }
  for (int64_t v : cover.right) {
    if (v < 1 || v > g.right || rightIn[v]) return "right cover vertex out of range or repeated";
    rightIn[v] = 1;
  }
  for (const Pair& e : g.edges)
    if (!leftIn[e.first] && !rightIn[e.second])
      return describe("uncovered edge", e.first, e.second);
  if (vertices != matching.pairs.size())
    return "cover of " + std::to_string(vertices) + " for a matching of " +
           std::to_string(matching.pairs.size());
  return "";
}

std::vector<Pair> maximumMatching(const Bipartite& g) { return hopcroftKarp(g); }

std::string checkMatchingSize(const Bipartite& g, int64_t claimed) {
  std::vector<Pair> best = maximumMatching(g);
  std::string fault = checkMatching(g, best);
  if (!fault.empty()) return "verifier's own matching: " + fault;
  if (claimed != static_cast<int64_t>(best.size()))
    return "size " + std::to_string(claimed) + " claimed, maximum is " +
           std::to_string(best.size());
  return "";
}

std::string checkFlowValue(const Network& g, int64_t claimed) {
  if (g.source == g.sink)
    return claimed == 0 ? "" : "flow " + std::to_string(claimed) + " claimed with source = sink";
  MaximumFlow best = maximumFlow(g);
  // The nodes the source still reaches hold the source but not the sink:
  // the arcs leaving them form a cut, which must match the flow.
  int64_t cut = 0;
  for (const Pair& a : g.arcs) cut += best.reached[a.first] && !best.reached[a.second];
  if (cut != best.value) return "verifier's own flow and cut disagree";
  if (claimed != best.value)
    return "flow " + std::to_string(claimed) + " claimed, maximum is " + std::to_string(best.value);
  return "";
}

namespace {

// The value of `flow` as a multiset of arcs of g, with the flow on every
// arc of g in `carries`, or a fault: an arc g lacks (or holds fewer times),
// or a node other than the terminals out of balance.
std::string flowValue(const Network& g, const std::vector<Pair>& flow,
                      std::vector<uint8_t>& carries, int64_t& value) {
  std::vector<int64_t> order(g.arcs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int64_t(i);
  std::sort(order.begin(), order.end(),
            [&](int64_t a, int64_t b) { return g.arcs[a] < g.arcs[b]; });
  std::vector<Pair> used(flow);
  std::sort(used.begin(), used.end());
  carries.assign(g.arcs.size(), 0);
  size_t i = 0;
  for (size_t k = 0; k < used.size(); ++k, ++i) {
    while (i < order.size() && g.arcs[order[i]] < used[k]) ++i;
    if (i == order.size() || g.arcs[order[i]] != used[k])
      return describe("flow on an arc the network lacks (or has fewer times)", used[k].first,
                      used[k].second);
    carries[order[i]] = 1;
  }
  std::vector<int64_t> balance(g.nodes, 0);  // units in minus units out
  for (const Pair& a : flow) --balance[a.first], ++balance[a.second];
  for (int64_t v = 0; v < g.nodes; ++v)
    if (v != g.source && v != g.sink && balance[v] != 0)
      return "flow not conserved at node index " + std::to_string(v);
  value = g.source == g.sink ? 0 : balance[g.sink];
  return "";
}

// The flow's value, from its arcs, against the one its file gives.
std::string claimedValue(const FlowClaim& flow, int64_t value) {
  if (flow.value == value) return "";
  return "c flow value " + std::to_string(flow.value) + " claimed, the flow's arcs carry " +
         std::to_string(value);
}

}  // namespace

// A feasible flow is maximum exactly when its residual network holds no
// path from the source to the sink; the nodes the source then reaches form
// a cut as large as the flow.
std::string checkFlowClaim(const Network& g, const FlowClaim& flow) {
  std::vector<uint8_t> carries;
  int64_t value = 0;
  std::string fault = flowValue(g, flow.arcs, carries, value);
  if (fault.empty()) fault = claimedValue(flow, value);
  if (!fault.empty()) return fault;
  std::vector<uint8_t> reached = residualReach(g, carries);
  if (g.source != g.sink && reached[g.sink])
    return "flow of " + std::to_string(value) + " is not maximum: an augmenting path remains";
  return "";
}

std::string checkCut(const Network& g, const FlowClaim& flow, const CutClaim& cut) {
  std::vector<uint8_t> carries;
  int64_t value = 0;
  std::string fault = flowValue(g, flow.arcs, carries, value);
  if (fault.empty()) fault = claimedValue(flow, value);
  if (!fault.empty()) return fault;
  std::vector<uint8_t> inside(g.nodes, 0);
  for (int64_t v : cut.side) {
    if (v < 0 || v >= g.nodes) return "cut node index out of range: " + std::to_string(v);
    if (inside[v]) return "cut node listed twice: index " + std::to_string(v);
    inside[v] = 1;
  }
  if (!inside[g.source]) return "source not on the source side";
  if (g.source != g.sink && inside[g.sink]) return "sink on the source side";
  int64_t leaving = 0;
  for (const Pair& a : g.arcs) leaving += inside[a.first] && !inside[a.second];
  if (leaving != cut.capacity)
    return "c minimum cut capacity " + std::to_string(cut.capacity) + " claimed, " +
           std::to_string(leaving) + " arcs leave the source side";
  if (leaving != value)
    return "cut of " + std::to_string(leaving) + " arcs for a flow of " + std::to_string(value);
  return "";
}

}  // namespace verifier
