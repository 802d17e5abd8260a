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

std::string describe(const std::string& what, int64_t a, int64_t b) {
  return what + " (" + std::to_string(a) + ", " + std::to_string(b) + ")";
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

std::string toString(Total value) {
  if (value < 0) return "-" + toString(-value);
  std::string digits;
  do digits.insert(digits.begin(), char('0' + int(value % 10)));
  while ((value /= 10) != 0);
  return digits;
}

namespace {

// The capacity of the arcs of g from the nodes marked in `inside` to the
// others.
Total leavingCapacity(const Network& g, const std::vector<uint8_t>& inside) {
  Total capacity = 0;
  for (size_t i = 0; i < g.arcs.size(); ++i)
    if (inside[g.arcs[i].first] && !inside[g.arcs[i].second]) capacity += g.capacity(i);
  return capacity;
}

}  // namespace

std::string checkFlowValue(const Network& g, int64_t claimed) {
  if (g.source == g.sink)
    return claimed == 0 ? "" : "flow " + std::to_string(claimed) + " claimed with source = sink";
  MaximumFlow best = maximumFlow(g);
  // The nodes the source still reaches hold the source but not the sink:
  // the arcs leaving them form a cut, which must match the flow.
  if (leavingCapacity(g, best.reached) != best.value) return "verifier's own flow and cut disagree";
  if (claimed != best.value)
    return "flow " + std::to_string(claimed) + " claimed, maximum is " + toString(best.value);
  return "";
}

namespace {

// Indices 0 … n − 1 in the order of their pairs.
std::vector<int64_t> orderOf(const std::vector<Pair>& pairs) {
  std::vector<int64_t> order(pairs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int64_t(i);
  std::sort(order.begin(), order.end(), [&](int64_t a, int64_t b) { return pairs[a] < pairs[b]; });
  return order;
}

// Spreads the units a flow puts on the ordered pair `p` over the arcs of g
// from p.first to p.second, filling them in turn: any split leaves the same
// residual network. `i` walks g's arcs in `order` and ends past p's; a
// fault when g has no such arc or their capacities hold fewer units.
std::string spread(const Network& g, const std::vector<int64_t>& order, size_t& i, const Pair& p,
                   Total units, std::vector<int64_t>& carries) {
  while (i < order.size() && g.arcs[order[i]] < p) ++i;
  if (i == order.size() || g.arcs[order[i]] != p)
    return describe("flow on an arc the network lacks", p.first, p.second);
  Total capacity = 0, left = units;
  for (; i < order.size() && g.arcs[order[i]] == p; ++i) {
    const int64_t arc = order[i];
    carries[arc] = int64_t(std::min<Total>(left, g.capacity(arc)));
    left -= carries[arc];
    capacity += g.capacity(arc);
  }
  if (left == 0) return "";
  return "flow of " + toString(units) + " units from node index " + std::to_string(p.first) +
         " to " + std::to_string(p.second) + ", above their arcs' capacity " + toString(capacity);
}

// The flow a claim puts on every arc of g, in `carries`, and its value, or
// a fault: a line naming an arc g lacks, more units between two nodes than
// g's arcs between them hold, or a node other than the terminals out of
// balance.
std::string arcFlows(const Network& g, const FlowClaim& flow, std::vector<int64_t>& carries,
                     Total& value) {
  const std::vector<int64_t> order = orderOf(g.arcs), lines = orderOf(flow.arcs);
  carries.assign(g.arcs.size(), 0);
  std::vector<Total> balance(g.nodes, 0);  // units in minus units out
  size_t i = 0;
  for (size_t k = 0; k < lines.size();) {
    const Pair& p = flow.arcs[lines[k]];
    Total units = 0;
    for (; k < lines.size() && flow.arcs[lines[k]] == p; ++k) units += flow.unitsOn(lines[k]);
    std::string fault = spread(g, order, i, p, units, carries);
    if (!fault.empty()) return fault;
    balance[p.first] -= units;
    balance[p.second] += units;
  }
  for (int64_t v = 0; v < g.nodes; ++v)
    if (v != g.source && v != g.sink && balance[v] != 0)
      return "flow not conserved at node index " + std::to_string(v);
  value = g.source == g.sink ? 0 : balance[g.sink];
  return "";
}

// The flow's value, from its arcs, against the one its file gives.
std::string claimedValue(const FlowClaim& flow, Total value) {
  if (flow.value == value) return "";
  return "c flow value " + std::to_string(flow.value) + " claimed, the flow's arcs carry " +
         toString(value);
}

// The flow on every arc of g and its value, when it is feasible and its
// value the one its file gives; a fault otherwise.
std::string feasibleFlow(const Network& g, const FlowClaim& flow, std::vector<int64_t>& carries,
                         Total& value) {
  std::string fault = arcFlows(g, flow, carries, value);
  return fault.empty() ? claimedValue(flow, value) : fault;
}

}  // namespace

// A feasible flow is maximum exactly when its residual network holds no
// path from the source to the sink; the nodes the source then reaches form
// a cut as large as the flow.
std::string checkFlowClaim(const Network& g, const FlowClaim& flow) {
  std::vector<int64_t> carries;
  Total value = 0;
  std::string fault = feasibleFlow(g, flow, carries, value);
  if (!fault.empty()) return fault;
  std::vector<uint8_t> reached = residualReach(g, carries);
  if (g.source != g.sink && reached[g.sink])
    return "flow of " + toString(value) + " is not maximum: an augmenting path remains";
  return "";
}

std::string checkCut(const Network& g, const FlowClaim& flow, const CutClaim& cut) {
  std::vector<int64_t> carries;
  Total value = 0;
  std::string fault = feasibleFlow(g, flow, carries, value);
  if (!fault.empty()) return fault;
  std::vector<uint8_t> inside(g.nodes, 0);
  for (int64_t v : cut.side) {
    if (v < 0 || v >= g.nodes) return "cut node index out of range: " + std::to_string(v);
    if (inside[v]) return "cut node listed twice: index " + std::to_string(v);
    inside[v] = 1;
  }
  if (!inside[g.source]) return "source not on the source side";
  if (g.source != g.sink && inside[g.sink]) return "sink on the source side";
  const Total leaving = leavingCapacity(g, inside);
  if (leaving != cut.capacity)
    return "c minimum cut capacity " + std::to_string(cut.capacity) +
           " claimed, the arcs leaving the source side have capacity " + toString(leaving);
  if (leaving != value)
    return "cut of capacity " + toString(leaving) + " for a flow of " + toString(value);
  return "";
}

}  // namespace verifier
