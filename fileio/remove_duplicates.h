// Repeated edges merged into one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "fileio/problem.h"

namespace fileio {

// Sorts the edges by tail, then head, and keeps one of each; returns how
// many were removed.
inline std::uint64_t removeDuplicates(std::vector<Edge>& edges) {
  const auto key = [](const Edge& e) { return std::uint64_t{e.tail} << 32 | e.head; };
  std::sort(edges.begin(), edges.end(),
            [&](const Edge& a, const Edge& b) { return key(a) < key(b); });
  const auto end = std::unique(edges.begin(), edges.end(),
                               [&](const Edge& a, const Edge& b) { return key(a) == key(b); });
  const auto removed = static_cast<std::uint64_t>(edges.end() - end);
  edges.erase(end, edges.end());
  return removed;
}

}  // namespace fileio
