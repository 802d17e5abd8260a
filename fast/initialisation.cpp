// First matchings: the plain greedy one and Karp-Sipser's.
#include <vector>

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

// Karp-Sipser's degree-one rule. Degrees count the entries that lead to a
// free vertex; a vertex whose count drops to one has a single free
// neighbour left, and matching it to that one loses nothing.
class KarpSipser {
 public:
  KarpSipser(const Adjacency& rows, const Adjacency& cols, Mates mates, MatchingCounters* counters)
      : rows_(rows), cols_(cols), mates_(mates), counters_(counters) {}

  void Run() {
    row_degree_.resize(rows_.count);
    col_degree_.resize(cols_.count);
    for (int32_t r = 0; r < rows_.count; ++r) Count(r, rows_.end(r) - rows_.begin(r));
    for (int32_t c = 0; c < cols_.count; ++c) Count(~c, cols_.end(c) - cols_.begin(c));
    for (int32_t r = 0; r < rows_.count; ++r) {
      MatchDegreeOne();
      if (mates_.row[r] >= 0 || row_degree_[r] == 0) continue;
      int32_t c = FirstFree(rows_, r, mates_.col, &counters_->arc_scans);
      if (c >= 0) Match(r, c);
    }
    MatchDegreeOne();
  }

 private:
  // Vertex ids in the queue: a row r as r, a column c as ~c.
  void Count(int32_t vertex, int64_t degree) {
    int32_t& slot = vertex >= 0 ? row_degree_[vertex] : col_degree_[~vertex];
    slot = static_cast<int32_t>(degree);
    if (degree == 1) degree_one_.push_back(vertex);
  }

  void MatchDegreeOne() {
    while (!degree_one_.empty()) {
      int32_t v = degree_one_.back();
      degree_one_.pop_back();
      if (v >= 0) {
        if (mates_.row[v] >= 0 || row_degree_[v] == 0) continue;
        int32_t c = FirstFree(rows_, v, mates_.col, &counters_->arc_scans);
        if (c >= 0) Match(v, c);
      } else {
        int32_t c = ~v;
        if (mates_.col[c] >= 0 || col_degree_[c] == 0) continue;
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
    counters_->arc_scans += (rows_.end(r) - rows_.begin(r)) + (cols_.end(c) - cols_.begin(c));
    for (int64_t e = rows_.begin(r); e < rows_.end(r); ++e) {
      int32_t other = rows_.targets[e];
      if (mates_.col[other] < 0 && --col_degree_[other] == 1) degree_one_.push_back(~other);
    }
    for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e) {
      int32_t other = cols_.targets[e];
      if (mates_.row[other] < 0 && --row_degree_[other] == 1) degree_one_.push_back(other);
    }
  }

  const Adjacency& rows_;
  const Adjacency& cols_;
  Mates mates_;
  MatchingCounters* counters_;
  // Entries of each free vertex that lead to a free vertex.
  std::vector<int32_t> row_degree_;
  std::vector<int32_t> col_degree_;
  // Vertices whose degree was one when pushed; stale ones are skipped.
  std::vector<int32_t> degree_one_;
};

}  // namespace

void GreedyMatch(const Adjacency& rows, Mates mates, MatchingCounters* counters) {
  // Most rows take their first entry: asking for its mate slot a few rows
  // ahead keeps several cache misses in flight.
  constexpr int32_t kAhead = 16;
  for (int32_t r = 0; r < rows.count; ++r) {
    if (r + kAhead < rows.count && rows.begin(r + kAhead) < rows.end(r + kAhead))
      __builtin_prefetch(mates.col + rows.targets[rows.begin(r + kAhead)], 1);
    int32_t c = FirstFree(rows, r, mates.col, &counters->arc_scans);
    if (c < 0) continue;
    mates.row[r] = c;
    mates.col[c] = r;
    ++counters->initial_pairs;
  }
}

void KarpSipserMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                     MatchingCounters* counters) {
  KarpSipser(rows, cols, mates, counters).Run();
}

}  // namespace fast::internal
