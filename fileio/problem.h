// What a conversion produces: a bipartite matching problem or a unit
// network, with the comment lines that describe how it was made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fileio/vertex_names.h"

namespace fileio {

// Endpoints are 0-based: first-side and second-side vertices of a bipartite
// problem, nodes of a network.
struct Edge {
  std::uint32_t tail, head;
};

struct Problem {
  bool isNetwork = false;
  // The number the input gave the first vertex: edge lists count from 0 or
  // 1, the other formats from 1; the problem itself counts from 1.
  int base = 1;
  VertexNames names;                              // when the input named its vertices
  std::uint64_t left = 0, right = 0;              // bipartite problem
  std::uint64_t nodes = 0, source = 0, sink = 0;  // network
  std::vector<Edge> edges;
  std::vector<std::string> notes;     // header lines on the conversion
  std::vector<std::string> messages;  // said on standard error
};

// Largest vertex or node number the suite's programs can take.
constexpr std::uint64_t kLargestNumber = 2147483646;

// Makes room for the `declared` edges a file announces. Throws
// std::bad_alloc when they cannot fit in the memory a run may count on, so
// that such a file is refused before it is read.
void reserveEdges(std::vector<Edge>& edges, std::uint64_t declared);

// Throws InputError when every solver would refuse the problem line of
// `problem` (a 0 x 0 bipartite problem, a network without arcs, sizes beyond
// 32 bits), with their message.
void checkSolverLimits(const Problem& problem);

// The problem line of `problem`: "p bipartite-matching N1 N2 M" or "p max N M".
std::string problemLine(const Problem& problem);

}  // namespace fileio
