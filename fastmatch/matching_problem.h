// fastmatch's problem reader: the input of the matching programs (a
// "bipartite-matching" problem, or a "max" network of the matching shape)
// turned into the compressed adjacency of both sides.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "edge_buffer.h"
#include "fastcore/matching.h"
#include "fileio/problem.h"

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
  // The number the file gave row 0 and column 0: an edge list may count
  // from 0, the other formats count from 1.
  int32_t first_number = 1;
  // The names of the vertices, when the input named them (an edge list read
  // with --names) or came with a name table; empty otherwise. A network's
  // are its nodes' names.
  fileio::VertexNames names;
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
  long RowNumber(int32_t r) const {
    return row_nodes.empty() ? long{r} + first_number : row_nodes[r];
  }
  long ColNumber(int32_t c) const {
    return col_nodes.empty() ? long{c} + first_number : col_nodes[c];
  }
  // Their names, when there are names (see names).
  const std::string& RowName(int32_t r) const {
    return names.network ? names.first[RowNumber(r) - 1] : names.first[r];
  }
  const std::string& ColName(int32_t c) const {
    return names.network ? names.first[ColNumber(c) - 1] : names.second[c];
  }
};

// Reads `in` to its end. An input error prints its message and exits with
// status 1, as the other matching programs do.
void ReadMatchingProblem(FILE* in, MatchingProblemFile* problem);

// Builds `problem` from a bipartite problem read another way (a Matrix
// Market file, an edge list), as if read from its problem file; its edges
// are taken and `read` is left without them. Exits with the memory message
// when the memory cannot be had.
void BuildMatchingProblem(fileio::Problem& read, MatchingProblemFile* problem);
