// The greedy start: each vertex of the starting side takes its first free
// neighbour.
#include <algorithm>

#include "matching_steps.h"

namespace fast::internal {

namespace {

bool Taken(const uint64_t* taken, int32_t c) { return taken[c >> 6] >> (c & 63) & 1; }
void Take(uint64_t* taken, int32_t c) { taken[c >> 6] |= uint64_t{1} << (c & 63); }

// The entry of r's list, read forward or backward, of the first column
// not taken; -1 when there is none. *scans counts the entries read.
int64_t FirstUntaken(const Adjacency& rows, int32_t r, const uint64_t* taken, bool backward,
                     int64_t* scans) {
  const int64_t begin = rows.begin(r), end = rows.end(r);
  if (backward) {
    for (int64_t e = end - 1; e >= begin; --e)
      if (!Taken(taken, rows.targets[e])) {
        *scans += end - e;
        return e;
      }
  } else {
    for (int64_t e = begin; e < end; ++e)
      if (!Taken(taken, rows.targets[e])) {
        *scans += e - begin + 1;
        return e;
      }
  }
  *scans += end - begin;
  return -1;
}

// Which way the greedy start reads the lists. On a random graph either
// way does as well; on an ordered one a vertex's partner often sits at
// one end of its list (the columns' lists come in row order, and a band
// or a block beside the diagonal puts the partner last), and reading from
// the other end takes a block edge for every vertex. The first rows are
// matched both ways on the scratch bits; backward wins when it reads
// clearly fewer entries. Like the look at the degrees, the sample is part
// of choosing the plan: its reads are not counted as arc scans.
bool ReadBackward(const Adjacency& rows, int32_t cols, uint64_t* taken) {
  const int32_t sample = std::min(rows.count, std::max(1024, rows.count / 64));
  int64_t scans[2] = {0, 0};
  for (int way = 0; way < 2; ++way) {
    std::fill(taken, taken + cols / 64 + 1, 0);
    for (int32_t r = 0; r < sample; ++r) {
      const int64_t e = FirstUntaken(rows, r, taken, way == 1, &scans[way]);
      if (e >= 0) Take(taken, rows.targets[e]);
    }
  }
  return 4 * scans[1] < 3 * scans[0];
}

// The rows in order of increasing degree, degrees above kCap together at
// the end, each degree's rows in index order (a counting sort).
void OrderByDegree(const Adjacency& rows, int32_t* order) {
  constexpr int64_t kCap = 64;
  int32_t start[kCap + 2] = {};
  auto bucket = [&](int32_t r) { return std::min(rows.end(r) - rows.begin(r), kCap); };
  for (int32_t r = 0; r < rows.count; ++r) ++start[bucket(r) + 1];
  for (int64_t d = 0; d <= kCap; ++d) start[d + 1] += start[d];
  for (int32_t r = 0; r < rows.count; ++r) order[start[bucket(r)]++] = r;
}

}  // namespace

bool GreedyMatch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                 Workspace* work, GreedyOrder order, int64_t misses) {
  uint64_t* const taken = work->taken.data();
  const bool backward = ReadBackward(rows, cols, taken);
  std::fill(taken, taken + cols / 64 + 1, 0);
  // The rows' order; null for index order.
  int32_t* const sequence = order == GreedyOrder::kByDegree ? work->degree_one.data() : nullptr;
  if (sequence != nullptr) OrderByDegree(rows, sequence);
  int64_t scans = 0, pairs = 0;
  bool gave_up = false;
  // Each row's list is a cache miss of its own; asking for it a few rows
  // ahead keeps several in flight.
  constexpr int32_t kAhead = 16;
  for (int32_t i = 0; i < rows.count; ++i) {
    if (i + kAhead < rows.count) {
      const int32_t ahead = sequence != nullptr ? sequence[i + kAhead] : i + kAhead;
      __builtin_prefetch(rows.targets + rows.begin(ahead));
    }
    const int32_t r = sequence != nullptr ? sequence[i] : i;
    const int64_t e = FirstUntaken(rows, r, taken, backward, &scans);
    if (e < 0) {
      if (rows.end(r) > rows.begin(r) && misses-- == 0) {
        gave_up = true;
        break;
      }
      continue;
    }
    const int32_t c = rows.targets[e];
    Take(taken, c);
    mates.row[r] = c;
    mates.col[c] = r;
    ++pairs;
  }
  counters->arc_scans += scans;
  counters->initial_pairs += pairs;
  *mates.pairs += pairs;
  return !gave_up;
}

}  // namespace fast::internal
