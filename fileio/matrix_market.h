// Matrix Market coordinate files as bipartite problems: rows are the first
// side, columns the second, every stored entry an edge. Values are read
// only to tell explicit zeros.
#pragma once

#include "fileio/problem.h"
#include "fileio/source.h"

namespace fileio {

struct MatrixMarketOptions {
  bool dropZeros = false;        // leave out entries whose value is zero
  bool mergeDuplicates = false;  // one edge per (row, column)
};

// Throws InputError at the first fault of the file.
Problem convertMatrixMarket(Source& source, const MatrixMarketOptions& options);

}  // namespace fileio
