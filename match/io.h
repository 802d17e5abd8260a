// Reading a problem into the tables and writing the graph and the matching.
//
// The input is a sequence of records, read as tokens rather than lines: each
// record starts at the next non-blank character, which selects its kind.
//   c ...            a comment, skipped through the end of its line
//   p WORD NU NV NE  the problem: any word, then |U|, |V| and |E|
//   a U V            an edge from U vertex U to V vertex V
// A record may run over several lines and several may share one line.
#pragma once

#include <cstdio>

#include "tables.h"

// Reads the whole problem from `stream`. Edge records may come before the
// problem record, and the last problem record holds. When the input has
// ended, a read error, a missing or out-of-range problem record and any edge
// outside the declared sides end the run through Barf, in that order; any
// other record letter ends it at once (after "first char in a line = %c" on
// standard output).
void InputBipartiteGraph(FILE* stream, UTable& U, VTable& V);
// The graph in the input format: U vertices ascending, each list in its
// (reversed) list order.
void OutputBipartiteGraph(FILE* stream, const UTable& U, const VTable& V);
// A heading with the sizes, an empty line, then "u matched to v" for each
// matched U vertex, ascending.
void OutputMatching(FILE* stream, const UTable& U, const VTable& V);
