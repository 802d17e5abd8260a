// Two far-apart ends of a graph and the vertices nearest each: the terminals
// of a network made from a graph that names none.
#pragma once

#include <cstdint>
#include <vector>

#include "fileio/problem.h"

namespace fileio {

struct Sweep {
  std::uint32_t start = 0, end = 0;  // the two ends of the longest path found
  std::uint32_t distance = 0;        // their distance
  // The `count` vertices nearest `start` (itself first), and the `count`
  // nearest `end` that are not among them; fewer when the component is small.
  std::vector<std::uint32_t> nearStart, nearEnd;
};

// Double sweep over the edges taken as undirected: a breadth-first search
// from the tail of the first edge finds the farthest vertex `start`, a second
// one from `start` finds the farthest vertex `end`. Their distance is a lower
// bound on the diameter of that component, and usually close to it. Needs at
// least one edge.
Sweep doubleSweep(std::uint64_t vertices, const std::vector<Edge>& edges, std::uint64_t count);

}  // namespace fileio
