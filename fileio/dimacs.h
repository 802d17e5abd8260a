// DIMACS maximum-flow files ("p max N M", "n ID s", "n ID t", "a U V CAP")
// checked and made unit networks: an arc of capacity 0 is left out, every
// other becomes an arc of capacity 1.
#pragma once

#include "fileio/problem.h"
#include "fileio/source.h"

namespace fileio {

// Throws InputError at the first fault: a line of unknown type, a second
// problem line, a number out of range, a missing or repeated terminal, or an
// arc count other than the problem line's.
Problem convertDimacs(Source& source);

}  // namespace fileio
