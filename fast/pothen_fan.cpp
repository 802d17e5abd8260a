// Pothen-Fan PF+: phases of depth-first augmenting-path searches.
#include <cstdint>
#include <vector>

#include "matching_steps.h"

namespace fast::internal {

namespace {

class PothenFan {
  // A row of the search path and the next entry its depth-first scan reads.
  struct Step {
    int32_t row;
    int64_t next;
  };

 public:
  PothenFan(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters)
      : rows_(rows),
        mates_(mates),
        counters_(counters),
        lookahead_(rows.offsets, rows.offsets + rows.count),
        visited_(cols, 0) {}

  // Phases until one augments nothing. A phase searches once from every
  // free row; a column is entered at most once per phase, so a search that
  // fails has explored everything below it, and a phase without an
  // augmentation proves that no augmenting path is left. Stops early, with
  // false, once the searches have scanned more than `budget` entries.
  bool Run(int64_t budget) {
    const int64_t stop = budget < 0 ? INT64_MAX : counters_->arc_scans + budget;
    std::vector<int32_t> free_rows;
    for (int32_t r = 0; r < rows_.count; ++r)
      if (mates_.row[r] < 0 && rows_.end(r) > rows_.begin(r)) free_rows.push_back(r);
    path_.reserve(64);
    for (int32_t phase = 1; !free_rows.empty(); ++phase) {
      ++counters_->phases;
      size_t kept = 0;
      for (int32_t root : free_rows) {
        if (!Search(root, phase)) free_rows[kept++] = root;
        if (counters_->arc_scans > stop) return false;
      }
      if (kept == free_rows.size()) break;
      free_rows.resize(kept);
    }
    return true;
  }

 private:
  // A free column next to row r, or -1. Columns never become free again,
  // so the look-ahead resumes where it stopped last time.
  int32_t LookAhead(int32_t r) {
    int64_t e = lookahead_[r], end = rows_.end(r);
    while (e < end) {
      ++counters_->arc_scans;
      int32_t c = rows_.targets[e++];
      if (mates_.col[c] < 0) {
        lookahead_[r] = e;
        return c;
      }
    }
    lookahead_[r] = e;
    return -1;
  }

  // Depth-first search from the free row `root` for a free column; odd
  // phases scan adjacency forward, even ones backward.
  bool Search(int32_t root, int32_t phase) {
    const bool forward = phase % 2 != 0;
    path_.clear();
    Enter(root, forward);
    while (!path_.empty()) {
      Step& top = path_.back();
      int32_t free_col = LookAhead(top.row);
      if (free_col >= 0) {
        Augment(free_col);
        return true;
      }
      int32_t c = NextUnvisited(&top, phase, forward);
      if (c < 0) {
        path_.pop_back();
        continue;
      }
      Enter(mates_.col[c], forward);
    }
    return false;
  }

  void Enter(int32_t r, bool forward) {
    path_.push_back({r, forward ? rows_.begin(r) : rows_.end(r) - 1});
  }

  // The next column of the step's row not entered in this phase, marked
  // entered; -1 when none is left. Every column here is matched, since
  // the look-ahead has passed all of the row's entries.
  int32_t NextUnvisited(Step* step_at, int32_t phase, bool forward) {
    const int32_t r = step_at->row;
    int64_t e = step_at->next;
    const int64_t step = forward ? 1 : -1;
    const int64_t stop = forward ? rows_.end(r) : rows_.begin(r) - 1;
    for (; e != stop; e += step) {
      ++counters_->arc_scans;
      int32_t c = rows_.targets[e];
      if (visited_[c] != phase) {
        visited_[c] = phase;
        step_at->next = e + step;
        return c;
      }
    }
    step_at->next = e;
    return -1;
  }

  // Flips the path: the last row takes `free_col`, every row before it
  // the column its successor held.
  void Augment(int32_t free_col) {
    int32_t c = free_col;
    for (size_t i = path_.size(); i-- > 0;) {
      int32_t r = path_[i].row;
      int32_t previous = mates_.row[r];
      mates_.row[r] = c;
      mates_.col[c] = r;
      c = previous;
    }
  }

  const Adjacency& rows_;
  Mates mates_;
  MatchingCounters* counters_;
  // Per row: the entries before it lead to matched columns.
  std::vector<int64_t> lookahead_;
  // Per column: the last phase that entered it.
  std::vector<int32_t> visited_;
  // The current search path, root first; each row after the root is the
  // mate of a column its predecessor entered.
  std::vector<Step> path_;
};

}  // namespace

bool PothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                     int64_t budget) {
  return PothenFan(rows, cols, mates, counters).Run(budget);
}

}  // namespace fast::internal
