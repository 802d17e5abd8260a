// The formats a problem file may be written in, and how each is told from
// the others by its first bytes.
#pragma once

#include <string>
#include <string_view>

namespace fileio {

enum class Format {
  kAuto,          // to be told by content
  kProblem,       // the suite's own: "p bipartite-matching", "p max", "p unit-flow"
  kMatrixMarket,  // "%%MatrixMarket matrix coordinate ..."
  kEdgeList,      // "TAIL HEAD" pairs, '#' or '%' comments
};

// The names --format takes: "problem", "mtx", "edges".
bool formatFromName(std::string_view name, Format& format);
const char* formatName(Format format);

// The format of a text that begins with `start` (its first bytes, after
// decompression): Matrix Market when the first line begins with "%%", an
// edge list when the first line that is not blank begins with a digit, a
// sign, '#' or '%', the suite's format otherwise, so that any other text
// meets the suite's reader and its messages. An edge list whose vertices
// have names is not told by content: --format edges or --names says so.
Format detectFormat(std::string_view start);

}  // namespace fileio
