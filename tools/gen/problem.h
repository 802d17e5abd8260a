// The generated problems, numbered as they are written: every node and
// vertex number starts at 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "output.h"

struct Edge {
  int tail;
  int head;
};

// Edges run from the first side (1 … left) to the second side (1 … right).
struct Bipartite {
  int left = 0;
  int right = 0;
  std::vector<Edge> edges;
};

struct Network {
  int nodes = 0;
  int source = 0;
  int sink = 0;
  std::vector<Edge> arcs;
  // Empty: every arc has capacity 1. Otherwise one capacity per arc, each in
  // 0 … kLargestCapacity.
  std::vector<std::int64_t> capacities;
};

// Checks that a problem of this many nodes and edges stays within the
// generators' limits (every count held by the readers in 32 bits) and returns
// the edge count; throws UsageError otherwise.
std::size_t checkedSize(double nodes, double edges);

// Puts the edges in the order a matrix file lists its entries: by first-side
// vertex, then by second-side vertex.
void sortByRows(Bipartite& graph);

// Source 1, first side 2 … left + 1, second side left + 2 … left + right + 1,
// sink left + right + 2; one arc from the source to every first-side node,
// the edges from first to second side, one arc from every second-side node
// to the sink.
Network matchingReduction(const Bipartite& graph);

// Throws UsageError when the capacities out of the source or into the sink
// add up to more than kLargestCapacity.
void checkTerminalTotals(const Network& network);

void writeBipartite(Output& out, const Bipartite& graph);
void writeNetwork(Output& out, const Network& network);
