// verify's problem argument in every format the fast programs read. A file
// of the suite's format, plain or gzip, goes to the verifier's own readers
// (problem_text.h); a Matrix Market file or an edge list goes through the
// fileio readers that fastmatch reads it with, and is numbered as fastmatch
// numbers its result files: a matrix's rows and columns from 1, an edge
// list's vertices as the list numbers them (from 0 or 1, found as fastmatch
// finds it; tails the first side). An edge list of names is not read here:
// results in names are not numbers. Faults end in an InputFault.
#pragma once

#include <string>

#include "problem_text.h"

namespace verifier {

Bipartite readBipartiteFile(const std::string& path, VertexNumbers* numbers = nullptr);

// Networks in the suite's format only: an edge list names no terminals.
Network readNetworkFile(const std::string& path, int64_t offset, Capacities capacities);

}  // namespace verifier
