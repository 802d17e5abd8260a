// What a conversion produces: a bipartite matching problem or a unit
// network, with the comment lines that describe how it was made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fileio {

// Endpoints are 0-based: first-side and second-side vertices of a bipartite
// problem, nodes of a network.
struct Edge {
  std::uint32_t tail, head;
};

struct Problem {
  bool isNetwork = false;
  std::uint64_t left = 0, right = 0;              // bipartite problem
  std::uint64_t nodes = 0, source = 0, sink = 0;  // network
  std::vector<Edge> edges;
  std::vector<std::string> notes;     // header lines on the conversion
  std::vector<std::string> messages;  // said on standard error
};

// Largest vertex or node number the suite's programs can take.
constexpr std::uint64_t kLargestNumber = 2147483646;

}  // namespace fileio
