// Maximum-cardinality matching of a distributed bipartite graph with the
// Combinatorial BLAS: its Karp-Sipser maximal matching as the start, then
// its maximumMatching (multi-source breadth-first searches with tree
// grafting) to a maximum.
#pragma once

#include <mpi.h>

#include <cstdint>
#include <vector>

#include "distributed_input.h"

struct DistributedMatching {
  int64_t size = 0;          // matched pairs
  int64_t initialPairs = 0;  // pairs of the Karp-Sipser start
  int64_t phases = 0;        // search phases of maximumMatching, the last (empty) one included
  double seconds = 0;        // wall seconds from the built matrix to the maximum matching
  // This rank's block of rows: the matched column of row firstRow + i, or -1.
  int64_t firstRow = 0;
  std::vector<int64_t> rowMates;
};

// Builds the matrix from every rank's edges (emptying graph.edges) and
// matches it. Collective over MPI_COMM_WORLD, which CombBLAS works on.
DistributedMatching matchDistributed(LocalGraph& graph);
