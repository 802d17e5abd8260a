// First matchings: the plain greedy one and Karp-Sipser's.
#include <algorithm>

#include "matching_steps.h"

namespace fast::internal {

namespace {

// The first free vertex among v's neighbours, or -1.
int32_t FirstFree(const Adjacency& side, int32_t v, const int32_t* other_mates, int64_t* scans) {
  for (int64_t e = side.begin(v); e < side.end(v); ++e) {
    ++*scans;
    if (other_mates[side.targets[e]] < 0) return side.targets[e];
  }
  return -1;
}

// Karp-Sipser's degree-one rule. A vertex's degree counts its entries that
// lead to a free vertex; a vertex whose degree drops to one has a single
// free neighbour left, and matching it to that one loses nothing.
//
// The degree of a free vertex lives in its mate slot as -1 - degree, so
// that one random access per entry both tells whether a neighbour is free
// and updates its degree: a slot holds the mate (>= 0), or -2 for a free
// vertex with one free neighbour, -1 for one with none. Once the run is
// over no free vertex has a free neighbour, so every free slot holds -1.
class KarpSipser {
 public:
  KarpSipser(const Adjacency& rows, const Adjacency& cols, Mates mates, MatchingCounters* counters,
             int32_t* degree_one)
      : rows_(rows), cols_(cols), mates_(mates), counters_(counters), degree_one_(degree_one) {}

  void Run() {
    for (int32_t r = 0; r < rows_.count; ++r) Count(r, rows_.end(r) - rows_.begin(r));
    for (int32_t c = 0; c < cols_.count; ++c) Count(~c, cols_.end(c) - cols_.begin(c));
    for (int32_t r = 0; r < rows_.count; ++r) {
      MatchDegreeOne();
      if (mates_.row[r] >= -1) continue;  // matched, or no free neighbour
      int32_t c = FirstFree(rows_, r, mates_.col, &counters_->arc_scans);
      if (c >= 0) Match(r, c);
    }
    MatchDegreeOne();
  }

 private:
  // Vertex ids on the stack: a row r as r, a column c as ~c.
  void Count(int32_t vertex, int64_t degree) {
    int32_t& slot = vertex >= 0 ? mates_.row[vertex] : mates_.col[~vertex];
    slot = static_cast<int32_t>(-1 - degree);
    if (degree == 1) degree_one_[pushed_++] = vertex;
  }

  void MatchDegreeOne() {
    while (pushed_ > 0) {
      int32_t v = degree_one_[--pushed_];
      if (v >= 0) {
        if (mates_.row[v] != -2) continue;  // matched, or its neighbour was taken
        int32_t c = FirstFree(rows_, v, mates_.col, &counters_->arc_scans);
        if (c >= 0) Match(v, c);
      } else {
        int32_t c = ~v;
        if (mates_.col[c] != -2) continue;
        int32_t r = FirstFree(cols_, c, mates_.row, &counters_->arc_scans);
        if (r >= 0) Match(r, c);
      }
    }
  }

  // Pairs r and c, and takes both out of their free neighbours' degrees.
  void Match(int32_t r, int32_t c) {
    mates_.row[r] = c;
    mates_.col[c] = r;
    ++counters_->initial_pairs;
    ++*mates_.pairs;
    counters_->arc_scans += (rows_.end(r) - rows_.begin(r)) + (cols_.end(c) - cols_.begin(c));
    for (int64_t e = rows_.begin(r); e < rows_.end(r); ++e) {
      int32_t& slot = mates_.col[rows_.targets[e]];
      if (slot < 0 && ++slot == -2) degree_one_[pushed_++] = ~rows_.targets[e];
    }
    for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e) {
      int32_t& slot = mates_.row[cols_.targets[e]];
      if (slot < 0 && ++slot == -2) degree_one_[pushed_++] = cols_.targets[e];
    }
  }

  const Adjacency& rows_;
  const Adjacency& cols_;
  Mates mates_;
  MatchingCounters* counters_;
  // Vertices whose degree was one when pushed, rows + cols slots: a degree
  // reaches one at most once. Stale ones are skipped.
  int32_t* degree_one_;
  int32_t pushed_ = 0;
};

}  // namespace

bool GreedyMatch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                 Workspace* work, int64_t misses) {
  uint64_t* const taken = work->taken.data();
  std::fill(taken, taken + cols / 64 + 1, 0);
  const int32_t* const targets = rows.targets;
  int64_t scans = 0, pairs = 0;
  bool matched_all = true;
  // Each row's list is a cache miss of its own; asking for it a few rows
  // ahead keeps several in flight.
  constexpr int32_t kAhead = 16;
  for (int32_t r = 0; r < rows.count; ++r) {
    if (r + kAhead < rows.count) __builtin_prefetch(targets + rows.begin(r + kAhead));
    const int64_t begin = rows.begin(r), end = rows.end(r);
    int64_t e = begin;
    while (e < end && (taken[targets[e] >> 6] >> (targets[e] & 63) & 1)) ++e;
    if (e == end) {
      scans += end - begin;
      if (end > begin && misses-- == 0) {
        matched_all = false;
        break;
      }
      continue;
    }
    scans += e - begin + 1;
    const int32_t c = targets[e];
    taken[c >> 6] |= uint64_t{1} << (c & 63);
    mates.row[r] = c;
    mates.col[c] = r;
    ++pairs;
  }
  counters->arc_scans += scans;
  counters->initial_pairs += pairs;
  *mates.pairs += pairs;
  return matched_all;
}

void KarpSipserMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                     MatchingCounters* counters, Workspace* work) {
  KarpSipser(rows, cols, mates, counters, work->degree_one.data()).Run();
}

}  // namespace fast::internal
