#include "verifier.h"

#include <deque>

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

std::string checkCover(const Bipartite& g, const std::vector<Pair>& pairs,
                       const std::vector<int64_t>& left, const std::vector<int64_t>& right) {
  std::string fault = checkMatching(g, pairs);
  if (!fault.empty()) return fault;
  std::vector<char> leftIn(g.left + 1, 0), rightIn(g.right + 1, 0);
  for (int64_t u : left) {
    if (u < 1 || u > g.left || leftIn[u]) return "left cover vertex out of range or repeated";
    leftIn[u] = 1;
  }
  for (int64_t v : right) {
    if (v < 1 || v > g.right || rightIn[v]) return "right cover vertex out of range or repeated";
    rightIn[v] = 1;
  }
  for (const Pair& e : g.edges)
    if (!leftIn[e.first] && !rightIn[e.second])
      return describe("uncovered edge", e.first, e.second);
  if (left.size() + right.size() != pairs.size())
    return "cover of " + std::to_string(left.size() + right.size()) + " for a matching of " +
           std::to_string(pairs.size());
  return "";
}

std::vector<Pair> maximumMatching(const Bipartite& g) {
  Adjacency adj = leftLists(g);
  std::vector<int64_t> left(g.left + 1, 0), right(g.right + 1, 0);
  std::vector<int64_t> parent(g.right + 1), seen(g.right + 1, 0);
  std::vector<int64_t> queue;
  for (int64_t root = 1; root <= g.left; ++root) {
    // Breadth-first over alternating paths; parent[v] is the left vertex
    // from whose list v was reached.
    queue.assign(1, root);
    int64_t freeEnd = 0;
    for (size_t head = 0; head < queue.size() && freeEnd == 0; ++head) {
      int64_t u = queue[head];
      for (int64_t v : adj[u]) {
        if (seen[v] == root) continue;
        seen[v] = root;
        parent[v] = u;
        if (right[v] == 0) {
          freeEnd = v;
          break;
        }
        queue.push_back(right[v]);
      }
    }
    for (int64_t v = freeEnd; v != 0;) {
      int64_t u = parent[v], next = left[u];
      left[u] = v;
      right[v] = u;
      v = next;
    }
  }
  std::vector<Pair> pairs;
  for (int64_t u = 1; u <= g.left; ++u)
    if (left[u] != 0) pairs.emplace_back(u, left[u]);
  return pairs;
}

std::string checkMatchingSize(const Bipartite& g, int64_t claimed) {
  std::vector<Pair> best = maximumMatching(g);
  std::string fault = checkMatching(g, best);
  if (!fault.empty()) return "verifier's own matching: " + fault;
  if (claimed != static_cast<int64_t>(best.size()))
    return "size " + std::to_string(claimed) + " claimed, maximum is " +
           std::to_string(best.size());
  return "";
}

namespace {

// Residual network: arc 2i is input arc i, arc 2i + 1 its reverse.
struct Residual {
  std::vector<int64_t> head, room;
  std::vector<std::vector<int64_t>> out;

  explicit Residual(const Network& g) : out(g.nodes) {
    for (const Pair& a : g.arcs) {
      add(a.first, a.second, 1);
      add(a.second, a.first, 0);
    }
  }
  void add(int64_t from, int64_t to, int64_t capacity) {
    out[from].push_back(static_cast<int64_t>(head.size()));
    head.push_back(to);
    room.push_back(capacity);
  }
  // Breadth-first from s over arcs with room; parent arc per node, −1 when
  // unreached (s gets −2).
  std::vector<int64_t> search(int64_t s) const {
    std::vector<int64_t> parent(out.size(), -1);
    parent[s] = -2;
    std::deque<int64_t> queue{s};
    for (; !queue.empty(); queue.pop_front()) {
      for (int64_t a : out[queue.front()]) {
        if (room[a] == 0 || parent[head[a]] != -1) continue;
        parent[head[a]] = a;
        queue.push_back(head[a]);
      }
    }
    return parent;
  }
};

// The flow must leave every node but the terminals balanced and bring
// `value` units into the sink.
bool isFlow(const Network& g, const Residual& r, int64_t value) {
  std::vector<int64_t> balance(g.nodes, 0);
  for (size_t i = 0; i < g.arcs.size(); ++i) {
    int64_t units = 1 - r.room[2 * i];
    balance[g.arcs[i].first] -= units;
    balance[g.arcs[i].second] += units;
  }
  for (int64_t x = 0; x < g.nodes; ++x)
    if (x != g.source && x != g.sink && balance[x] != 0) return false;
  return balance[g.sink] == value;
}

// Augments along shortest paths until none is left; returns the flow value
// and leaves the final search, which missed the sink, in `parent`.
int64_t saturate(const Network& g, Residual& r, std::vector<int64_t>& parent) {
  int64_t value = 0;
  for (parent = r.search(g.source); parent[g.sink] != -1; parent = r.search(g.source), ++value) {
    for (int64_t x = g.sink; x != g.source; x = r.head[parent[x] ^ 1]) {
      --r.room[parent[x]];
      ++r.room[parent[x] ^ 1];
    }
  }
  return value;
}

}  // namespace

std::string checkFlowValue(const Network& g, int64_t claimed) {
  if (g.source == g.sink)
    return claimed == 0 ? "" : "flow " + std::to_string(claimed) + " claimed with source = sink";
  Residual r(g);
  std::vector<int64_t> parent;
  int64_t value = saturate(g, r, parent);
  // The nodes the last search reached hold the source but not the sink:
  // the input arcs leaving them form a cut.
  int64_t cut = 0;
  for (const Pair& a : g.arcs) cut += parent[a.first] != -1 && parent[a.second] == -1;
  if (cut != value || !isFlow(g, r, value)) return "verifier's own flow and cut disagree";
  if (claimed != value)
    return "flow " + std::to_string(claimed) + " claimed, maximum is " + std::to_string(value);
  return "";
}

}  // namespace verifier
