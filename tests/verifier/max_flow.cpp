#include "max_flow.h"

#include <algorithm>
#include <cstdint>

namespace verifier {

namespace {

// Residual arcs in compressed rows: input arc i becomes arc out[i] in its
// tail's row (residual capacity: its capacity) and that arc's twin in the
// head's row (residual capacity 0); cap[a] + cap[twin[a]] is the input
// arc's capacity always.
struct Residual {
  std::vector<int64_t> row;   // row[v] … row[v + 1] − 1 are v's arcs
  std::vector<int32_t> to;    // head of each arc
  std::vector<int64_t> twin;  // the arc of the opposite direction
  std::vector<int64_t> cap;   // residual capacity
  std::vector<int64_t> out;   // input arc i's forward arc

  explicit Residual(const Network& g) : row(g.nodes + 1, 0), out(g.arcs.size()) {
    for (const Pair& a : g.arcs) ++row[a.first + 1], ++row[a.second + 1];
    for (int64_t v = 0; v < g.nodes; ++v) row[v + 1] += row[v];
    std::vector<int64_t> fill(row.begin(), row.end() - 1);
    to.resize(row[g.nodes]);
    twin.resize(row[g.nodes]);
    cap.resize(row[g.nodes]);
    for (size_t i = 0; i < g.arcs.size(); ++i) {
      int64_t f = fill[g.arcs[i].first]++, b = fill[g.arcs[i].second]++;
      to[f] = int32_t(g.arcs[i].second), to[b] = int32_t(g.arcs[i].first);
      twin[f] = b, twin[b] = f;
      cap[f] = g.capacity(i), cap[b] = 0;
      out[i] = f;
    }
  }
};

// Dinic's blocking flows. Each phase labels the shortest augmenting paths by
// a breadth-first search grown from both ends, a layer at a time on the side
// whose frontier has fewer arcs: on networks that expand fast, two balls of
// half the radius hold far fewer nodes than one ball of the whole radius.
class Dinic {
 public:
  Dinic(const Network& g, Residual& r)
      : level(g.nodes), g(g), r(r), toSink(g.nodes), next(g.nodes) {}

  Total run() {
    Total value = 0;
    while (layers()) {
      for (int64_t v = 0; v < g.nodes; ++v) next[v] = r.row[v];
      while (int64_t sent = path()) value += sent;
    }
    return value;
  }

  // Marks in `level` every node the source reaches in the residual network.
  void reach() {
    std::fill(level.begin(), level.end(), -1);
    std::vector<int64_t> queue{g.source};
    level[g.source] = 0;
    for (size_t i = 0; i < queue.size(); ++i)
      for (int64_t a = r.row[queue[i]]; a < r.row[queue[i] + 1]; ++a)
        if (r.cap[a] && level[r.to[a]] < 0) level[r.to[a]] = 0, queue.push_back(r.to[a]);
  }

  // Source-side labels of one node of the residual network or -1.
  std::vector<int32_t> level;

 private:
  // Labels the phase's layered network; false when the sink is out of reach.
  // Afterwards level[v] is v's distance from the source for every node on a
  // shortest augmenting path (the sink's level is their length, sinkLevel):
  // taken from the source's search where it got that far, else as
  // sinkLevel - toSink[v]. Nodes off those paths may carry labels too; the
  // depth-first search finds them dead ends.
  bool layers() {
    std::fill(level.begin(), level.end(), -1);
    std::fill(toSink.begin(), toSink.end(), -1);
    std::vector<int64_t> ahead{g.source}, behind{g.sink}, grown;
    std::vector<int64_t> fromSink{g.sink};  // every node toSink labels
    level[g.source] = 0;
    toSink[g.sink] = 0;
    int64_t best = kUnreached;
    while (best == kUnreached && !ahead.empty() && !behind.empty()) {
      grown.clear();
      if (volume(ahead) <= volume(behind)) {
        for (int64_t v : ahead)
          for (int64_t a = r.row[v]; a < r.row[v + 1]; ++a)
            if (r.cap[a]) best = std::min(best, visit(v, r.to[a], level, toSink, grown));
        ahead.swap(grown);
      } else {
        for (int64_t w : behind)
          for (int64_t a = r.row[w]; a < r.row[w + 1]; ++a)
            if (r.cap[r.twin[a]]) best = std::min(best, visit(w, r.to[a], toSink, level, grown));
        fromSink.insert(fromSink.end(), grown.begin(), grown.end());
        behind.swap(grown);
      }
    }
    if (best == kUnreached) return false;
    sinkLevel = int32_t(best);
    for (int64_t v : fromSink)
      if (level[v] < 0) level[v] = sinkLevel - toSink[v];
    return true;
  }

  // Reaches w from v in the search that writes `mine`, the other search's
  // labels being `theirs`; returns the length of the source-sink path
  // through v and w when the searches meet there.
  static int64_t visit(int64_t v, int64_t w, std::vector<int32_t>& mine,
                       const std::vector<int32_t>& theirs, std::vector<int64_t>& grown) {
    if (mine[w] < 0) mine[w] = mine[v] + 1, grown.push_back(w);
    return theirs[w] >= 0 ? int64_t(mine[v]) + 1 + theirs[w] : kUnreached;
  }

  int64_t volume(const std::vector<int64_t>& frontier) const {
    int64_t arcs = 0;
    for (int64_t v : frontier) arcs += r.row[v + 1] - r.row[v];
    return arcs;
  }

  // One augmenting path along rising levels, searched depth first with a
  // stack of arcs; what it carries when found and augmented, 0 when the
  // phase is over.
  int64_t path() {
    std::vector<int64_t>& stack = arcs;
    stack.clear();
    int64_t v = g.source;
    while (v != g.sink) {
      int64_t& a = next[v];
      while (a < r.row[v + 1] && !admissible(v, a)) ++a;
      if (a < r.row[v + 1]) {
        stack.push_back(a);
        v = r.to[a];
        continue;
      }
      level[v] = -1;  // no way on from v in this phase
      if (stack.empty()) return 0;
      v = r.to[r.twin[stack.back()]];
      stack.pop_back();
      ++next[v];
    }
    int64_t sent = kLargestCapacity;
    for (int64_t a : stack) sent = std::min(sent, r.cap[a]);
    for (int64_t a : stack) r.cap[a] -= sent, r.cap[r.twin[a]] += sent;
    return sent;
  }

  // Open, one level up, and not beyond the sink's level: a node there other
  // than the sink leads nowhere in this phase.
  bool admissible(int64_t v, int64_t a) const {
    int64_t w = r.to[a];
    return r.cap[a] && level[w] == level[v] + 1 && (level[w] < sinkLevel || w == g.sink);
  }

  static constexpr int64_t kUnreached = INT64_MAX;

  const Network& g;
  Residual& r;
  std::vector<int32_t> toSink;  // distance to the sink, where its search got
  int32_t sinkLevel = 0;        // the length of the phase's augmenting paths
  std::vector<int64_t> next;    // the first arc of v not yet ruled out in this phase
  std::vector<int64_t> arcs;    // the stack of path()
};

}  // namespace

MaximumFlow maximumFlow(const Network& g) {
  MaximumFlow result;
  Residual r(g);
  Dinic dinic(g, r);
  if (g.source != g.sink) result.value = dinic.run();
  dinic.reach();
  result.reached.resize(g.nodes);
  for (int64_t v = 0; v < g.nodes; ++v) result.reached[v] = dinic.level[v] >= 0;
  return result;
}

std::vector<uint8_t> residualReach(const Network& g, const std::vector<int64_t>& flow) {
  Residual r(g);
  for (size_t i = 0; i < g.arcs.size(); ++i)
    r.cap[r.out[i]] -= flow[i], r.cap[r.twin[r.out[i]]] = flow[i];
  Dinic search(g, r);
  search.reach();
  std::vector<uint8_t> reached(g.nodes);
  for (int64_t v = 0; v < g.nodes; ++v) reached[v] = search.level[v] >= 0;
  return reached;
}

namespace {

// Hopcroft-Karp: phases of a breadth-first layering from the free left
// vertices, then vertex-disjoint shortest augmenting paths by depth-first
// search along the layers.
class HopcroftKarp {
 public:
  explicit HopcroftKarp(const Bipartite& g)
      : g(g),
        row(g.left + 2, 0),
        layer(g.left + 1),
        next(g.left + 1),
        leftMate(g.left + 1, 0),
        rightMate(g.right + 1, 0) {
    for (const Pair& e : g.edges) ++row[e.first + 1];
    for (int64_t u = 1; u <= g.left; ++u) row[u + 1] += row[u];
    std::vector<int64_t> fill(row.begin(), row.end() - 1);
    column.resize(g.edges.size());
    for (const Pair& e : g.edges) column[fill[e.first]++] = e.second;
  }

  std::vector<Pair> run() {
    while (layers())
      for (int64_t u = 1; u <= g.left; ++u)
        if (leftMate[u] == 0) augment(u);
    std::vector<Pair> pairs;
    for (int64_t u = 1; u <= g.left; ++u)
      if (leftMate[u] != 0) pairs.emplace_back(u, leftMate[u]);
    return pairs;
  }

 private:
  static constexpr int64_t kNone = -1;

  // Layers of left vertices; true when some free right vertex is reachable.
  bool layers() {
    std::vector<int64_t> queue;
    for (int64_t u = 1; u <= g.left; ++u) {
      layer[u] = leftMate[u] == 0 ? 0 : kNone;
      if (layer[u] == 0) queue.push_back(u);
      next[u] = row[u];
    }
    int64_t found = kNone;  // the layer that reaches a free right vertex first
    for (size_t i = 0; i < queue.size(); ++i) {
      int64_t u = queue[i];
      if (found != kNone && layer[u] > found) break;  // the phase's paths are no longer
      for (int64_t e = row[u]; e < row[u + 1]; ++e) {
        int64_t w = rightMate[column[e]];
        if (w == 0)
          found = layer[u];
        else if (layer[w] == kNone)
          layer[w] = layer[u] + 1, queue.push_back(w);
      }
    }
    return found != kNone;
  }

  // Depth first from free left vertex `root` along the layers, with an
  // explicit stack of left vertices; flips the path when it reaches a free
  // right vertex.
  void augment(int64_t root) {
    std::vector<int64_t> stack{root};
    while (!stack.empty()) {
      int64_t u = stack.back();
      if (next[u] == row[u + 1]) {
        layer[u] = kNone;
        stack.pop_back();
        if (!stack.empty()) ++next[stack.back()];
        continue;
      }
      int64_t v = column[next[u]], w = rightMate[v];
      if (w == 0) {
        for (int64_t x : stack) {
          int64_t y = column[next[x]];
          leftMate[x] = y, rightMate[y] = x, layer[x] = kNone;
        }
        return;
      }
      if (layer[w] == layer[u] + 1)
        stack.push_back(w);
      else
        ++next[u];
    }
  }

  const Bipartite& g;
  std::vector<int64_t> row, column, layer, next, leftMate, rightMate;
};

}  // namespace

std::vector<Pair> hopcroftKarp(const Bipartite& g) { return HopcroftKarp(g).run(); }

}  // namespace verifier
