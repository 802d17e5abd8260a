// The steps a MaximumMatching runs: an initialisation that builds a first
// matching, and a search that grows it to a maximum one. Each works on the
// mates in place and adds what it did to the counters.
#pragma once

#include <cstdint>

#include "matching.h"

namespace fast::internal {

// One side's adjacency: the neighbours of vertex v are
// targets[offsets[v]] ... targets[offsets[v+1]-1].
struct Adjacency {
  int32_t count = 0;
  const int64_t* offsets = nullptr;
  const int32_t* targets = nullptr;
  int64_t begin(int32_t v) const { return offsets[v]; }
  int64_t end(int32_t v) const { return offsets[v + 1]; }
};

// Both sides' mates, -1 for a free vertex. row[r] == c exactly when col[c] == r.
struct Mates {
  int32_t* row;
  int32_t* col;
};

void GreedyMatch(const Adjacency& rows, Mates mates, MatchingCounters* counters);
void KarpSipserMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                     MatchingCounters* counters);

// False when it stopped at the budget of scanned entries (negative: none)
// with the matching not yet proved maximum.
bool PothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                     int64_t budget = -1);

void PushRelabelSearch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                       double global_relabel_factor, MatchingCounters* counters);

}  // namespace fast::internal
