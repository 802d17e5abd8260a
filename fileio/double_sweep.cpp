#include "fileio/double_sweep.h"

#include <algorithm>
#include <numeric>

namespace fileio {

namespace {

// Both directions of every edge, in compressed rows.
struct Adjacency {
  std::vector<std::size_t> offsets;  // neighbours of v: [offsets[v], offsets[v + 1])
  std::vector<std::uint32_t> neighbours;

  Adjacency(std::uint64_t vertices, const std::vector<Edge>& edges)
      : offsets(vertices + 1, 0), neighbours(2 * edges.size()) {
    for (const Edge& e : edges) {
      ++offsets[e.tail + 1];
      ++offsets[e.head + 1];
    }
    std::partial_sum(offsets.begin(), offsets.end(), offsets.begin());
    std::vector<std::size_t> next(offsets.begin(), offsets.end() - 1);
    for (const Edge& e : edges) {
      neighbours[next[e.tail]++] = e.head;
      neighbours[next[e.head]++] = e.tail;
    }
  }
};

// The vertices reachable from `from` in breadth-first order; the last one is
// a farthest, at distance `farthest`.
std::vector<std::uint32_t> breadthFirst(const Adjacency& graph, std::uint32_t from,
                                        std::uint32_t& farthest) {
  std::vector<std::uint32_t> distance(graph.offsets.size() - 1, UINT32_MAX);
  std::vector<std::uint32_t> order{from};
  distance[from] = 0;
  for (std::size_t next = 0; next < order.size(); ++next) {
    const std::uint32_t v = order[next];
    for (std::size_t k = graph.offsets[v]; k < graph.offsets[v + 1]; ++k) {
      const std::uint32_t w = graph.neighbours[k];
      if (distance[w] != UINT32_MAX) continue;
      distance[w] = distance[v] + 1;
      order.push_back(w);
    }
  }
  farthest = distance[order.back()];
  return order;
}

}  // namespace

Sweep doubleSweep(std::uint64_t vertices, const std::vector<Edge>& edges, std::uint64_t count) {
  const Adjacency graph(vertices, edges);
  Sweep sweep;
  std::uint32_t distance = 0;
  sweep.start = breadthFirst(graph, edges.front().tail, distance).back();
  const std::vector<std::uint32_t> fromStart = breadthFirst(graph, sweep.start, sweep.distance);
  sweep.end = fromStart.back();
  const auto take = std::min<std::uint64_t>(count, fromStart.size());
  sweep.nearStart.assign(fromStart.begin(), fromStart.begin() + take);
  std::vector<bool> taken(vertices, false);
  for (const std::uint32_t v : sweep.nearStart) taken[v] = true;
  for (const std::uint32_t v : breadthFirst(graph, sweep.end, distance)) {
    if (sweep.nearEnd.size() == count) break;
    if (!taken[v]) sweep.nearEnd.push_back(v);
  }
  return sweep;
}

}  // namespace fileio
