// Pothen-Fan PF+: phases of depth-first augmenting-path searches, with the
// trees of failed searches marked dead for the rest of the run, from one
// side or from both in turn.
#include "pothen_fan.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

namespace fast::internal {

namespace {

// Dead trees. A set T of columns is closed when every column in T is
// matched and every neighbour of its mate is in T. No augmenting path can
// touch a closed set: having entered a column of T it goes on to the mate
// and to another column of T, and never reaches a free column. So T keeps
// its mates for the rest of the run, stays closed, and searches may skip
// it.
//
// A search that fails has read every entry of every row it entered, and
// found each neighbour matched and either entered by itself, dead, or
// entered earlier in the phase by another search. When none was of the
// last kind (the search is "untainted"), the columns it entered, together
// with the dead ones, form a closed set: they become dead. A search cut
// short by another search's marks proves nothing: that search may have
// augmented since. Every column is entered by at most one untainted failed
// search, so the failed searches that follow the first phase cost little
// more than their roots' lists: a deficient graph is explored once, not
// once a phase.
class PothenFan {
  // A row of the search path and the next entry its depth-first scan reads.
  struct Step {
    int32_t row;
    int64_t next;
  };
  enum class Outcome { kAugmented, kFailed, kStopped };

 public:
  PothenFan(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
            SearchMemory* memory, Workspace* work)
      : rows_(rows),
        cols_(cols),
        mates_(mates),
        counters_(counters),
        memory_(memory),
        lookahead_(memory->lookahead.data()),
        visited_(memory->visited.data()),
        entered_(work->entered),
        cancel_(work->cancel) {
    memory->Clear();
    memory->proof_start = 0;
  }

  // Phases until one augments nothing. A phase searches once from every
  // free row; a column is entered at most once per phase, so a search that
  // fails has explored everything below it, and a phase without an
  // augmentation proves that no augmenting path is left. Stops early, with
  // false, once the searches have scanned more than `budget` entries; a
  // later call starts a new phase. A cancelled run stops before its next
  // phase, with true. A run that proves the matching maximum says where its
  // last phase's marks start (SearchMemory::proof_start).
  bool Run(int64_t budget) {
    stop_ = budget < 0 ? INT64_MAX : counters_->arc_scans + budget;
    FindRoots();
    path_.reserve(64);
    while (!roots_.empty() && !cancel_()) {
      ++counters_->phases;
      StartPhase(roots_.size());
      size_t kept = 0;
      for (size_t i = 0; i < roots_.size(); ++i) {
        const Outcome outcome = Search(roots_[i]);
        if (outcome == Outcome::kStopped) {
          // The roots that failed in this phase and those not yet searched
          // stay for the next run, still in index order.
          roots_.erase(roots_.begin() + kept, roots_.begin() + i);
          return false;
        }
        if (outcome == Outcome::kFailed) roots_[kept++] = roots_[i];
      }
      if (kept == roots_.size()) {
        memory_->proof_start = phase_start_;
        return true;
      }
      roots_.resize(kept);
      forward_ = !forward_;
    }
    if (roots_.empty()) memory_->proof_start = INT32_MAX;
    return true;
  }

 private:
  // The free rows with an edge: found with a pass over the rows by the
  // first run; a later one (after the other side's turn) drops those
  // matched since, as rows never become free again.
  void FindRoots() {
    if (!found_roots_) {
      for (int32_t r = 0; r < rows_.count; ++r)
        if (mates_.row[r] < 0 && rows_.end(r) > rows_.begin(r)) roots_.push_back(r);
      found_roots_ = true;
      return;
    }
    roots_.erase(
        std::remove_if(roots_.begin(), roots_.end(), [&](int32_t r) { return mates_.row[r] >= 0; }),
        roots_.end());
  }

  // Searches are numbered from 1 (0: never entered); those of this phase
  // from phase_start_ on. When the numbers could run out within the
  // phase, every column but the dead ones is forgotten and the numbering
  // starts again.
  void StartPhase(size_t searches) {
    if (stamp_ >= INT32_MAX - static_cast<int64_t>(searches)) {
      for (int32_t c = 0; c < cols_; ++c) visited_[c] = visited_[c] == kDead ? kDead : 0;
      stamp_ = 0;
    }
    phase_start_ = stamp_ + 1;
  }

  // A free column next to row r, or -1. Columns never become free again,
  // so the look-ahead resumes where it stopped last time.
  int32_t LookAhead(int32_t r) {
    int64_t e = std::max(lookahead_[r], rows_.begin(r)), end = rows_.end(r);
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

  // Depth-first search from the free row `root` for a free column; the
  // scan direction alternates between phases (fairness). A search stopped
  // at the budget leaves the matching as it was and proves nothing.
  Outcome Search(int32_t root) {
    ++stamp_;
    tainted_ = false;
    entered_.clear();
    path_.clear();
    Enter(root);
    while (!path_.empty()) {
      if (counters_->arc_scans > stop_) return Outcome::kStopped;
      Step& top = path_.back();
      int32_t free_col = LookAhead(top.row);
      if (free_col >= 0) {
        Augment(free_col);
        return Outcome::kAugmented;
      }
      int32_t c = NextUnvisited(&top);
      if (c < 0) {
        path_.pop_back();
        continue;
      }
      Enter(mates_.col[c]);
    }
    if (!tainted_)
      for (int32_t c : entered_) visited_[c] = kDead;
    return Outcome::kFailed;
  }

  void Enter(int32_t r) { path_.push_back({r, forward_ ? rows_.begin(r) : rows_.end(r) - 1}); }

  // The next column of the step's row that is neither dead nor entered in
  // this phase, marked entered; -1 when none is left. Every column here is
  // matched, since the look-ahead has passed all of the row's entries.
  int32_t NextUnvisited(Step* step_at) {
    const int32_t r = step_at->row;
    int64_t e = step_at->next;
    const int64_t step = forward_ ? 1 : -1;
    const int64_t stop = forward_ ? rows_.end(r) : rows_.begin(r) - 1;
    for (; e != stop; e += step) {
      ++counters_->arc_scans;
      int32_t c = rows_.targets[e];
      int32_t mark = visited_[c];
      if (mark >= phase_start_) {
        tainted_ |= mark != stamp_;
        continue;
      }
      if (mark == kDead) continue;
      visited_[c] = stamp_;
      if (!tainted_) entered_.push_back(c);
      step_at->next = e + step;
      return c;
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
    ++*mates_.pairs;
  }

  const Adjacency& rows_;
  const int32_t cols_;
  Mates mates_;
  MatchingCounters* counters_;
  SearchMemory* memory_;
  // Per row: the entries before it lead to matched columns.
  int64_t* lookahead_;
  // Per column: kDead, or the last search that entered it.
  int32_t* visited_;
  // The columns the current search entered while untainted.
  std::vector<int32_t>& entered_;
  int64_t stop_ = INT64_MAX;  // the run stops once arc_scans passes it
  int32_t stamp_ = 0;         // the current search
  int32_t phase_start_ = 1;   // the first search of the current phase
  bool tainted_ = false;      // the current search met another live search's column
  bool forward_ = true;       // odd phases scan forward, even ones backward
  // Free rows with an edge, in index order, as the last run left them.
  std::vector<int32_t> roots_;
  bool found_roots_ = false;
  // The current search path, root first; each row after the root is the
  // mate of a column its predecessor entered.
  std::vector<Step> path_;
  CancelPoll& cancel_;
};

}  // namespace

bool PothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                     SearchMemory* memory, Workspace* work, int64_t budget) {
  if (work->team != nullptr)
    return ParallelPothenFanSearch(rows, cols, mates, counters, memory, work, budget);
  return PothenFan(rows, cols, mates, counters, memory, work).Run(budget);
}

void PothenFanBothSides(const Adjacency& rows, const Adjacency& cols, Mates mates,
                        MatchingCounters* counters, SearchMemory* rows_memory,
                        SearchMemory* cols_memory, Workspace* work) {
  // Where few vertices are free the meeting searches read so little that
  // a team would have nothing to share. Where they read more than a
  // quarter of a pass (a graph that spreads slowly, as grids do), the
  // turns go on from the matching they leave.
  constexpr int64_t kMeetingShare = 4;
  if (MeetingSearch(rows, cols, mates, counters, &work->meeting, &work->cancel,
                    OnePass(rows, cols.count) / kMeetingShare))
    return;
  if (work->team != nullptr)
    return ParallelPothenFanBothSides(rows, cols, mates, counters, rows_memory, cols_memory, work);
  TakeTurns(
      rows, cols, [&] { return PothenFan(rows, cols.count, mates, counters, rows_memory, work); },
      [&] {
        return PothenFan(cols, rows.count, {mates.col, mates.row, mates.pairs}, counters,
                         cols_memory, work);
      });
}

}  // namespace fast::internal
