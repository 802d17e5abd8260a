// The check of a Dulmage-Mendelsohn decomposition file (fastmatch -d),
// from the problem alone: no maximum matching is trusted or computed. The
// matched pairs the file's layout puts on each part's diagonal are entries
// of the problem, so they are a matching of the claimed rank; the staircase
// of zeros gives a vertex cover of that size (the rows of R1 and R2 with
// the columns of C3), so the rank is the maximum. Alternating searches from
// the free vertices of that matching then prove the coarse parts, and a
// search forward and one backward from each fine block's first vertex prove
// the block strongly connected.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "verifier.h"

namespace verifier {

// A decomposition file's claim (result_text.h reads it): positions and
// boundaries 0-based, rows and columns as g numbers them (1 ... left,
// 1 ... right).
struct Decomposition {
  int64_t rows = 0;
  int64_t cols = 0;
  int64_t rank = 0;
  int64_t blocks = 0;
  std::array<int64_t, 5> rr{};
  std::array<int64_t, 5> cc{};
  std::vector<int64_t> p, q, r, s;
};

// Empty when d is g's decomposition; else the first fault found.
std::string checkDecomposition(const Bipartite& g, const Decomposition& d);

}  // namespace verifier
