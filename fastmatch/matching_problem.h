// fastmatch's problem reader: the input of the matching programs (a
// "bipartite-matching" problem, or a "max" network of the matching shape)
// turned into the compressed adjacency of both sides.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "edge_buffer.h"
#include "fastcore/matching.h"

struct MatchingProblemFile {
  // Rows are the first side (the X nodes of a network), columns the second.
  int32_t rows = 0;
  int32_t cols = 0;
  int64_t edges = 0;
  std::vector<int64_t> row_offsets;  // rows + 1 entries
  std::vector<int64_t> col_offsets;  // cols + 1 entries
  // Row targets in slots [0, edges), column targets in [edges, 2 edges).
  EdgeBuffer targets;
  // Networks only: the node number in the file of each row and column.
  std::vector<int32_t> row_nodes;
  std::vector<int32_t> col_nodes;
  // The first two columns of the report line, counted as the other
  // matching programs count them.
  long report_nodes = 0;
  long report_edges = 0;

  fast::BipartiteGraph graph() {
    return {rows,
            cols,
            row_offsets.data(),
            targets.targets(),
            col_offsets.data(),
            targets.targets() + edges};
  }
  // The number in the file of row r and column c.
  long RowNumber(int32_t r) const { return row_nodes.empty() ? r + 1L : row_nodes[r]; }
  long ColNumber(int32_t c) const { return col_nodes.empty() ? c + 1L : col_nodes[c]; }
};

// Reads `in` to its end. An input error prints its message and exits with
// status 1, as the other matching programs do.
void ReadMatchingProblem(FILE* in, MatchingProblemFile* problem);
