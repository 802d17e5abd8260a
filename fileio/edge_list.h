// Edge lists, one "TAIL HEAD" pair a line, as bipartite problems or unit
// networks. Lines whose first non-blank character is '#' or '%' are
// comments; fields after the first two are ignored. Vertices are numbers,
// or, when asked, names: any words without blanks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "fileio/problem.h"
#include "fileio/source.h"

namespace fileio {

struct EdgeListOptions {
  std::optional<int> base;  // 0 or 1; unset: 0 when some id is 0, else 1
  bool names = false;       // vertices are names, numbered in order of first appearance
  bool undirected = false;  // each pair in both directions
  bool flow = false;        // a network rather than a bipartite problem
  // A network's terminals: as the file writes them (a number, or a name),
  // or, with superTerminals > 0, a super-source and a super-sink (see
  // edge_list.cpp).
  std::optional<std::string> source, sink;
  std::uint64_t superTerminals = 0;
};

// Throws InputError at the first fault of the file or of the terminals.
Problem convertEdgeList(Source& source, const EdgeListOptions& options);

}  // namespace fileio
