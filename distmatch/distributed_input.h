// Reading one problem file on every rank at once: each rank reads its own
// byte range, and the ranks agree on the first fault in file order, so the
// run ends with the message a reader going through the file line by line
// would give.
#pragma once

#include <mpi.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "problem_text.h"

// This rank's share of a bipartite graph: the matrix has a row per
// first-side vertex and a column per second-side vertex (a network keeps
// its node numbers for both, so its X nodes are rows and its Y nodes
// columns).
struct LocalGraph {
  ProblemHeader header;
  int64_t rows = 0, cols = 0;
  std::vector<std::pair<int64_t, int64_t>> edges;  // (row, column), 0-based
  // The report line's first two columns, as the other matching programs
  // count them.
  int64_t reportNodes = 0, reportEdges = 0;
  // The two sides and the edges between them, for the matching file.
  int64_t firstSide = 0, secondSide = 0, sideEdges = 0;
};

struct InputOutcome {
  bool ok = false;
  std::string message;      // the fault every rank agrees on
  int64_t warnings = 0;     // on rank 0: capacity warnings to print before it
  bool unreadable = false;  // the file could not be opened: `message` says why
};

InputOutcome readDistributed(const std::string& path, MPI_Comm comm, LocalGraph& graph);
