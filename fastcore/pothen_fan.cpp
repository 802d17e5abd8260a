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
//
// Searches in flight. With kLanes > 1, that many searches of a phase run
// at once on the one thread, each handing over to the next whenever it
// enters a row, until the row's list position, its list and its columns'
// mates and marks have been asked for (prefetched), one step at a time.
// On a graph whose numbering scatters neighbours over memory each step of
// a search waits for a chain of cache misses (a column's mate, the mate's
// list position, its list, the list's marks); the lanes wait for theirs
// together. Nothing above changes: a column is entered by one search a
// phase, so searches in flight share no row, an augmentation flips only
// columns its own search entered, and another lane's column taints a
// search as an earlier search's does.
template <int kLanes>
class PothenFan {
  // A row of the search path and the next entry its depth-first scan reads.
  struct Step {
    int32_t row;
    int64_t next;
  };
  enum class Outcome { kAugmented, kFailed, kStopped, kGoingOn };
  // What a lane waits for before its top row is worked on: the row's list
  // position, then its list, then its columns' mates and marks.
  enum class Stage { kList, kMarks, kWork };
  // One search in flight.
  struct Lane {
    int32_t root = -1;
    int32_t stamp = 0;     // its number in the visited marks
    bool tainted = false;  // it met another live search's column
    int64_t scans = 0;     // the entries it read (kept with spare_dead_trees_)
    Stage stage = Stage::kWork;
    // The search path, root first; each row after the root is the mate of
    // a column its predecessor entered.
    std::vector<Step> path;
    // The columns it entered while untainted.
    std::vector<int32_t>* entered = nullptr;
  };

 public:
  // With `spare_dead_trees`, a search that fails untainted does not count
  // against the budget: the trees it proves dead are read by no later
  // search, so such searches read about one pass of the lists in all
  // however many there are (a deficient graph's surplus rows), and a
  // budget meant to stop searches that wander need not stop them.
  PothenFan(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
            SearchMemory* memory, Workspace* work, bool spare_dead_trees = false)
      : rows_(rows),
        cols_(cols),
        mates_(mates),
        counters_(counters),
        memory_(memory),
        lookahead_(memory->lookahead.data()),
        visited_(memory->visited.data()),
        spare_dead_trees_(spare_dead_trees),
        cancel_(work->cancel) {
    std::copy(rows.offsets, rows.offsets + rows.count, lookahead_);
    std::fill(visited_, visited_ + cols, 0);
    memory->proof_start = 0;
    lanes_[0].entered = &work->entered;
    for (int i = 1; i < kLanes; ++i) lanes_[i].entered = &own_entered_[i - 1];
  }

  // Phases until one augments nothing. A phase searches once from every
  // free row not yet proved hopeless; a column is entered at most once per
  // phase, so a search that fails has explored everything below it, and a
  // phase without an augmentation proves that no augmenting path is left. Stops early, with
  // false, once the searches have scanned more than `budget` entries; a
  // later call starts a new phase. A cancelled run stops before its next
  // phase, with true. A run that proves the matching maximum says where its
  // last phase's marks start (SearchMemory::proof_start).
  bool Run(int64_t budget) {
    stop_ = budget < 0 ? INT64_MAX : counters_->arc_scans + budget;
    FindRoots();
    for (Lane& lane : lanes_) lane.path.reserve(64);
    while (!roots_.empty() && !cancel_()) {
      ++counters_->phases;
      StartPhase(roots_.size());
      const int64_t pairs = *mates_.pairs;
      if (!Phase()) return false;
      if (*mates_.pairs == pairs) {
        memory_->proof_start = phase_start_;
        return true;
      }
      forward_ = !forward_;
    }
    if (roots_.empty()) memory_->proof_start = INT32_MAX;
    return true;
  }

 private:
  // A search from every root, kLanes of them in flight at a time; leaves
  // in roots_ those whose search failed tainted. A root whose search failed
  // untainted is hopeless for good: its neighbours all lie in the closed
  // set that search made dead, so later phases need not read its list
  // again. False when the budget stopped it: the roots that failed
  // tainted, those in flight and those not yet searched then stay for the
  // next run.
  bool Phase() {
    Lane* const lanes = lanes_;
    size_t next = 0, kept = 0;
    int active = 0;
    while (active < kLanes && next < roots_.size()) Begin(&lanes[active++], roots_[next++]);
    while (active > 0) {
      for (int i = 0; i < active;) {
        Lane& lane = lanes[i];
        const int64_t scans = counters_->arc_scans;
        const Outcome outcome = Advance(&lane);
        if (spare_dead_trees_) lane.scans += counters_->arc_scans - scans;
        if (outcome == Outcome::kGoingOn) {
          ++i;
          continue;
        }
        if (outcome == Outcome::kStopped) {
          roots_.erase(roots_.begin() + kept, roots_.begin() + next);
          for (int j = 0; j < active; ++j) roots_.insert(roots_.begin() + kept++, lanes[j].root);
          return false;
        }
        if (outcome == Outcome::kFailed && lane.tainted) roots_[kept++] = lane.root;
        if (outcome == Outcome::kFailed && !lane.tainted && spare_dead_trees_ && stop_ != INT64_MAX)
          stop_ += lane.scans;
        if (next < roots_.size()) {
          Begin(&lane, roots_[next++]);
          ++i;
        } else {
          std::swap(lane, lanes[--active]);
        }
      }
    }
    roots_.resize(kept);
    return true;
  }

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

  void Begin(Lane* lane, int32_t root) {
    lane->root = root;
    lane->stamp = ++stamp_;
    lane->tainted = false;
    lane->scans = 0;
    lane->entered->clear();
    lane->path.clear();
    Enter(lane, root);
  }

  // Depth-first search from the lane's root for a free column; the scan
  // direction alternates between phases (fairness). A search stopped at
  // the budget leaves the matching as it was and proves nothing. With
  // more than one lane, a search hands over to the next lane whenever it
  // enters a row, until the row's data has been asked for (Fetch).
  Outcome Advance(Lane* lane) {
    if constexpr (kLanes > 1) {
      if (lane->stage != Stage::kWork) {
        Fetch(lane);
        return Outcome::kGoingOn;
      }
    }
    while (!lane->path.empty()) {
      if (counters_->arc_scans > stop_) return Outcome::kStopped;
      Step& top = lane->path.back();
      int32_t free_col = LookAhead(top.row);
      if (free_col >= 0) {
        Augment(*lane, free_col);
        return Outcome::kAugmented;
      }
      int32_t c = NextUnvisited(lane, &top);
      if (c < 0) {
        lane->path.pop_back();
        continue;
      }
      Enter(lane, mates_.col[c]);
      if constexpr (kLanes > 1) return Outcome::kGoingOn;
    }
    if (!lane->tainted)
      for (int32_t c : *lane->entered) visited_[c] = kDead;
    return Outcome::kFailed;
  }

  // A row entered by a search in flight asks for its list position and
  // look-ahead and hands over (Fetch). Inlined there: a call a step was a
  // twentieth of the instructions of the shuffled 1M grid's searches.
  void Enter(Lane* lane, int32_t r) {
    if constexpr (kLanes == 1) {
      EnterNow(lane, r);
    } else {
      lane->path.push_back({r, 0});
      __builtin_prefetch(rows_.offsets + r);
      __builtin_prefetch(lookahead_ + r);
      lane->stage = Stage::kList;
    }
  }

  // Not inlined: on one lane, inlined into the search loop, it made PF+
  // a quarter slower on the shuffled 1M banded problem (same instructions,
  // fewer of them even; interleaved runs, CPU 1).
  [[gnu::noinline]] void EnterNow(Lane* lane, int32_t r) {
    lane->path.push_back({r, forward_ ? rows_.begin(r) : rows_.end(r) - 1});
  }

  // The stages of a row just entered: its list position is read and its
  // list asked for, then its columns' mates (for the look-ahead) and
  // marks (for the search) are.
  void Fetch(Lane* lane) {
    constexpr int64_t kAhead = 8;  // entries whose columns are asked for
    Step& top = lane->path.back();
    const int32_t r = top.row;
    if (lane->stage == Stage::kList) {
      top.next = forward_ ? rows_.begin(r) : rows_.end(r) - 1;
      __builtin_prefetch(rows_.targets + lookahead_[r]);
      __builtin_prefetch(rows_.targets + top.next);
      lane->stage = Stage::kMarks;
      return;
    }
    const int64_t begin = rows_.begin(r), end = rows_.end(r);
    if (end - begin <= kAhead) {
      // A short list in one loop, every column's mate and mark: the mates of
      // columns the look-ahead has passed are those of the rows the search
      // may enter next.
      for (int64_t e = begin; e < end; ++e) {
        __builtin_prefetch(mates_.col + rows_.targets[e]);
        __builtin_prefetch(visited_ + rows_.targets[e]);
      }
    } else {
      for (int64_t e = lookahead_[r], stop = std::min(end, e + kAhead); e < stop; ++e)
        __builtin_prefetch(mates_.col + rows_.targets[e]);
      const int64_t step = forward_ ? 1 : -1;
      const int64_t stop =
          forward_ ? std::min(end, top.next + kAhead) : std::max(begin - 1, top.next - kAhead);
      for (int64_t e = top.next; e != stop; e += step)
        __builtin_prefetch(visited_ + rows_.targets[e]);
    }
    lane->stage = Stage::kWork;
  }

  // The next column of the step's row that is neither dead nor entered in
  // this phase, marked entered; -1 when none is left. Every column here is
  // matched, since the look-ahead has passed all of the row's entries.
  int32_t NextUnvisited(Lane* lane, Step* step_at) {
    const int32_t r = step_at->row;
    int64_t e = step_at->next;
    const int64_t step = forward_ ? 1 : -1;
    const int64_t stop = forward_ ? rows_.end(r) : rows_.begin(r) - 1;
    for (; e != stop; e += step) {
      ++counters_->arc_scans;
      int32_t c = rows_.targets[e];
      int32_t mark = visited_[c];
      if (mark >= phase_start_) {
        lane->tainted |= mark != lane->stamp;
        continue;
      }
      if (mark == kDead) continue;
      visited_[c] = lane->stamp;
      if (!lane->tainted) lane->entered->push_back(c);
      step_at->next = e + step;
      return c;
    }
    step_at->next = e;
    return -1;
  }

  // Flips the lane's path: the last row takes `free_col`, every row before
  // it the column its successor held.
  void Augment(const Lane& lane, int32_t free_col) {
    int32_t c = free_col;
    for (size_t i = lane.path.size(); i-- > 0;) {
      int32_t r = lane.path[i].row;
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
  Lane lanes_[kLanes];
  // The entered columns of every lane but the first, which has the
  // workspace's.
  std::vector<int32_t> own_entered_[kLanes > 1 ? kLanes - 1 : 1];
  int64_t stop_ = INT64_MAX;  // the run stops once arc_scans passes it
  int32_t stamp_ = 0;         // the last search begun
  int32_t phase_start_ = 1;   // the first search of the current phase
  bool forward_ = true;       // odd phases scan forward, even ones backward
  const bool spare_dead_trees_;
  // Free rows with an edge, in index order, as the last run left them.
  std::vector<int32_t> roots_;
  bool found_roots_ = false;
  CancelPoll& cancel_;
};

}  // namespace

bool PothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                     SearchMemory* memory, Workspace* work, int64_t budget, bool spare_dead_trees) {
  if (work->team != nullptr)
    return ParallelPothenFanSearch(rows, cols, mates, counters, memory, work, budget);
  return PothenFan<1>(rows, cols, mates, counters, memory, work, spare_dead_trees).Run(budget);
}

bool InterleavedPothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates,
                                MatchingCounters* counters, SearchMemory* memory, Workspace* work,
                                int64_t budget, bool spare_dead_trees) {
  // Eight: on the shuffled banded problems 16 lanes read 1.47 times the
  // entries of one at 10M (their searches cut each other short), and were
  // no faster than eight at 1M; four were slower.
  constexpr int kLanes = 8;
  if (work->team != nullptr)
    return ParallelPothenFanSearch(rows, cols, mates, counters, memory, work, budget);
  return PothenFan<kLanes>(rows, cols, mates, counters, memory, work, spare_dead_trees).Run(budget);
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
      rows, cols,
      [&] { return PothenFan<1>(rows, cols.count, mates, counters, rows_memory, work); },
      [&] {
        return PothenFan<1>(cols, rows.count, {mates.col, mates.row, mates.pairs}, counters,
                            cols_memory, work);
      });
}

}  // namespace fast::internal
