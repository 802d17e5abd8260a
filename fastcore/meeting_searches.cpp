// Augmenting paths by two breadth-first searches that meet: one from the
// free rows, one from the free columns, each round finding one path.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "matching_steps.h"

namespace fast::internal {

namespace {

// A breadth-first search from the free rows reaches a set of rows growing
// by the degree at each step on a random graph, as does one from the free
// columns; they meet once the product of the two sets is about the number
// of rows, after a square root's worth of reading each.
//
// The forward search reaches the rows that an alternating path from a free
// row can leave without a column (a free row, or the mate of a column that
// a reached row takes). The backward search reaches the rows that can move
// to a column that an alternating path frees up to a free column (a free
// column, or the mate of a reached row). A row reached by both, or a
// forward row next to a free or backward-freed column, joins them into an
// augmenting path. Either search running out first proves that no
// augmenting path is left: it has read every row it can reach.
class MeetingSearches {
 public:
  MeetingSearches(const Adjacency& rows, const Adjacency& cols, Mates mates,
                  MatchingCounters* counters, MeetingMemory* memory, CancelPoll* cancel)
      : rows_(rows),
        cols_(cols),
        mates_(mates),
        counters_(counters),
        memory_(memory),
        cancel_(*cancel) {}

  // False, having changed nothing, where many vertices are free, or once
  // its rounds have read more than `budget` entries.
  bool Run(int64_t budget) {
    if (!FewFree()) return false;
    const int64_t stop = counters_->arc_scans + budget;
    while (!cancel_() && Round())
      if (counters_->arc_scans > stop) return false;
    return true;
  }

 private:
  // One round: both searches from scratch, the one that has read less
  // going on, until they meet (true) or one runs out (false).
  bool Round() {
    ++counters_->phases;
    stamp_ = ++memory_->stamp;
    std::vector<int32_t>& forward = memory_->forward;
    std::vector<int32_t>& backward = memory_->backward;
    forward.clear();
    backward.clear();
    DropMatched(&memory_->free_rows, mates_.row);
    DropMatched(&memory_->free_cols, mates_.col);
    for (int32_t r : memory_->free_rows) {
      marks_[r].forward = stamp_;
      marks_[r].parent = -1;
      forward.push_back(r);
    }
    backward = memory_->free_cols;
    size_t f = 0, b = 0;
    int64_t forward_scans = 0, backward_scans = 0;
    while (f < forward.size() && b < backward.size()) {
      const bool met = forward_scans <= backward_scans
                           ? ExpandForward(forward[f++], &forward_scans)
                           : ExpandBackward(backward[b++], &backward_scans);
      if (met) return true;
    }
    return false;
  }

  // Rows never become free again, nor do columns.
  static void DropMatched(std::vector<int32_t>* vertices, const int32_t* mates) {
    vertices->erase(std::remove_if(vertices->begin(), vertices->end(),
                                   [&](int32_t v) { return mates[v] >= 0; }),
                    vertices->end());
  }

  // Each round reads about a square root of the graph (where the graph
  // spreads like a random one) to find its path, and one side's reach at
  // most to prove the matching maximum; a depth-first search reads about a
  // k-th of it for each of the last paths with k free columns left (the
  // hidden perfect matching of 2M + 2M vertices, 13 free after
  // Karp-Sipser: 63,000 entries against PF+ from both sides' 10.7M). But
  // each round starts afresh from every free vertex, so with many of them
  // (a grid's thousands, whose paths are short and local) PF+ is cheaper.
  // The meeting searches run while the free vertices with an edge on one
  // side are at most twice the square root of the smaller side's count.
  // That is a random graph's measure: on a grid, where a breadth-first
  // search grows as a disc, not by the degree at every step, each round
  // may read a large part of the graph before the searches meet (a shuffled
  // 100 x 100 grid with 143 free rows after Karp-Sipser: 767,000 entries in
  // all, against 184,000 for PF+ from both sides in turn); the caller's
  // budget bounds what such a guess costs.
  bool FewFree() {
    FindFree(rows_, mates_.row, &memory_->free_rows);
    FindFree(cols_, mates_.col, &memory_->free_cols);
    const int64_t free = std::min(memory_->free_rows.size(), memory_->free_cols.size());
    if (free * free > 4 * int64_t{std::min(rows_.count, cols_.count)}) return false;
    // A run has at most one round for each free row, and one more.
    if (memory_->marks.size() < static_cast<size_t>(rows_.count) ||
        memory_->stamp > INT32_MAX - 1 - static_cast<int64_t>(memory_->free_rows.size())) {
      memory_->marks.assign(std::max(memory_->marks.size(), static_cast<size_t>(rows_.count)), {});
      memory_->stamp = 0;
    }
    marks_ = memory_->marks.data();
    return true;
  }

  static void FindFree(const Adjacency& side, const int32_t* mates, std::vector<int32_t>* free) {
    free->clear();
    for (int32_t v = 0; v < side.count; ++v)
      if (mates[v] < 0 && side.end(v) > side.begin(v)) free->push_back(v);
  }

  // The forward row r reads its list: a free column, or one whose mate the
  // backward search reached, ends the round; the other columns' mates join
  // the forward search.
  bool ExpandForward(int32_t r, int64_t* scans) {
    for (int64_t e = rows_.begin(r); e < rows_.end(r); ++e) {
      ++*scans;
      ++counters_->arc_scans;
      const int32_t c = rows_.targets[e];
      const int32_t m = mates_.col[c];
      if (m < 0 || marks_[m].backward == stamp_) {
        Augment(r, c);
        return true;
      }
      if (marks_[m].forward == stamp_) continue;
      marks_[m].forward = stamp_;
      marks_[m].parent = r;
      memory_->forward.push_back(m);
    }
    return false;
  }

  // The column c, free or freed by the backward search, reads its list:
  // each row there not yet reached may move to c; one the forward search
  // reached ends the round, the others' mates are freed in turn.
  bool ExpandBackward(int32_t c, int64_t* scans) {
    for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e) {
      ++*scans;
      ++counters_->arc_scans;
      const int32_t r = cols_.targets[e];
      if (marks_[r].backward == stamp_) continue;
      marks_[r].backward = stamp_;
      marks_[r].target = c;
      if (marks_[r].forward == stamp_) {
        Augment(r, c);
        return true;
      }
      memory_->backward.push_back(mates_.row[r]);
    }
    return false;
  }

  // The forward row r takes column c. Neither r nor any row of its forward
  // path was reached by the backward search before (the meeting would have
  // been found then), so the two paths share no row: the forward one is
  // flipped back to its free root, then c's former mate and the rows after
  // it move on to their targets, down to a free column.
  void Augment(int32_t r, int32_t c) {
    int32_t moved = mates_.col[c];
    for (int32_t take = c; r >= 0; r = marks_[r].parent) {
      const int32_t released = mates_.row[r];
      mates_.row[r] = take;
      mates_.col[take] = r;
      take = released;
    }
    while (moved >= 0) {
      const int32_t target = marks_[moved].target;
      const int32_t next = mates_.col[target];
      mates_.row[moved] = target;
      mates_.col[target] = moved;
      moved = next;
    }
    ++*mates_.pairs;
  }

  const Adjacency& rows_;
  const Adjacency& cols_;
  Mates mates_;
  MatchingCounters* counters_;
  MeetingMemory* memory_;
  MeetingMemory::Marks* marks_ = nullptr;
  CancelPoll& cancel_;
  // The current round; a mark from an earlier round means not reached.
  int32_t stamp_ = 0;
};

}  // namespace

bool MeetingSearch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                   MatchingCounters* counters, MeetingMemory* memory, CancelPoll* cancel,
                   int64_t budget) {
  return MeetingSearches(rows, cols, mates, counters, memory, cancel).Run(budget);
}

}  // namespace fast::internal
