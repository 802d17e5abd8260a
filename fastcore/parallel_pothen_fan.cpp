// Pothen-Fan PF+ on a team of threads (pothen_fan.cpp explains the
// searches, the look-ahead and the dead trees). In each phase the members
// take the free rows one at a time and search from them together.
//
// A search enters a column by claiming its visited mark with a
// compare-and-swap, and claims a free column the same way before its path
// ends there, so the searches of a phase never share a column. A row is
// entered through the column it is matched to (or as a root), so it too
// belongs to one search a phase, which alone moves its look-ahead and
// changes its mate; an augmenting path changes only the mates of columns
// and rows its search holds. The mates are read and written atomically,
// since a look-ahead reads any column's; the dead-tree proof holds as on
// one thread, a column held by another search of the phase tainting the
// search that meets it. Phases end at a barrier, where the roots that
// failed are gathered for the next one.
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <vector>

#include "pothen_fan.h"

namespace fast::internal {

namespace {

class ParallelPothenFan {
  struct Step {
    int32_t row;
    int64_t next;
  };
  enum class Outcome { kAugmented, kFailed, kStopped };

  // One member's searches, on cache lines of their own.
  struct alignas(64) Member {
    std::vector<Step> path;
    std::vector<int32_t> entered;  // the columns the search entered while untainted
    std::vector<int32_t> failed;   // the roots whose searches failed this phase
    int64_t scans = 0;
    int64_t reported = 0;  // the scans already added to the shared count
    int64_t pairs = 0;
    int64_t augmented = 0;  // augmentations in this phase
    int32_t stamp = 0;      // the current search
    bool tainted = false;
  };

 public:
  ParallelPothenFan(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                    SearchMemory* memory, Workspace* work)
      : rows_(rows),
        cols_(cols),
        mates_(mates),
        counters_(counters),
        cancel_(work->cancel),
        lookahead_(memory->lookahead.data()),
        visited_(memory->visited.data()),
        team_(work->team.get()),
        members_(team_->size()) {
    memory->Clear();
  }

  // As PF+ on one thread: phases until one augments nothing; false when it
  // stopped after about `budget` scanned entries (negative: none), the
  // matching valid but not yet proved maximum. A later call starts a new
  // phase. A cancelled run stops before its next phase, with true.
  bool Run(int64_t budget) {
    scanned_ = counters_->arc_scans;
    stop_ = budget < 0 ? INT64_MAX : counters_->arc_scans + budget;
    stopped_ = false;
    done_ = false;
    roots_.clear();
    for (int32_t r = 0; r < rows_.count; ++r)
      if (mates_.row[r] < 0 && rows_.end(r) > rows_.begin(r)) roots_.push_back(r);
    if (!roots_.empty() && !cancel_()) team_->Run(*this);
    counters_->arc_scans = scanned_;
    for (Member& member : members_) {
      *mates_.pairs += member.pairs;
      member.pairs = 0;
    }
    return !stopped_;
  }

  // The job: phases, each between barriers.
  void operator()(int m) {
    Member& me = members_[m];
    me.scans = me.reported = 0;
    for (;;) {
      if (m == 0) StartPhase();
      team_->Sync();
      for (;;) {
        const size_t first = next_root_.fetch_add(kRoots, std::memory_order_relaxed);
        const size_t last = std::min(first + kRoots, roots_.size());
        if (first >= last || stopped_.load(std::memory_order_relaxed)) break;
        for (size_t i = first; i < last && !stopped_.load(std::memory_order_relaxed); ++i) {
          // The i-th root's search is numbered phase_start_ + i, so the
          // numbers need no shared counter.
          const Outcome outcome = Search(&me, roots_[i], phase_start_ + static_cast<int32_t>(i));
          if (outcome == Outcome::kFailed) me.failed.push_back(roots_[i]);
          me.augmented += outcome == Outcome::kAugmented;
        }
      }
      Report(&me);
      team_->Sync();
      if (m == 0) EndPhase();
      team_->Sync();
      if (done_) return;
    }
  }

 private:
  // Scans between two reports to the shared count, against which the
  // budget is checked.
  static constexpr int64_t kReport = 4096;
  // Roots handed out at a time: a shared counter taken once per root
  // bounces its cache line between the members at every search.
  static constexpr size_t kRoots = 64;

  // Member 0, between barriers.
  void StartPhase() {
    ++counters_->phases;
    const int64_t searches = static_cast<int64_t>(roots_.size());
    if (searches_ >= INT32_MAX - searches) {
      for (int32_t c = 0; c < cols_; ++c) visited_[c] = visited_[c] == kDead ? kDead : 0;
      searches_ = 0;
    }
    phase_start_ = searches_ + 1;
    searches_ += static_cast<int32_t>(searches);
    next_root_ = 0;
  }

  // Member 0, between barriers: the failed roots are the next phase's.
  void EndPhase() {
    roots_.clear();
    int64_t augmented = 0;
    for (Member& member : members_) {
      roots_.insert(roots_.end(), member.failed.begin(), member.failed.end());
      member.failed.clear();
      augmented += member.augmented;
      member.augmented = 0;
    }
    done_ = stopped_ || augmented == 0 || roots_.empty() || cancel_();
    forward_ = !forward_;
  }

  void Report(Member* me) {
    const int64_t total = scanned_.fetch_add(me->scans - me->reported) + me->scans - me->reported;
    me->reported = me->scans;
    if (total > stop_) stopped_ = true;
  }

  Outcome Search(Member* me, int32_t root, int32_t stamp) {
    me->stamp = stamp;
    me->tainted = false;
    me->entered.clear();
    me->path.clear();
    Enter(me, root);
    while (!me->path.empty()) {
      if (me->scans - me->reported > kReport) {
        Report(me);
        if (stopped_.load(std::memory_order_relaxed)) return Outcome::kStopped;
      }
      Step& top = me->path.back();
      const int32_t free_col = LookAhead(me, top.row);
      if (free_col >= 0) {
        Augment(me, free_col);
        return Outcome::kAugmented;
      }
      const int32_t c = NextUnvisited(me, &top);
      if (c < 0) {
        me->path.pop_back();
        continue;
      }
      Enter(me, Load(mates_.col + c));
    }
    if (!me->tainted)
      for (int32_t c : me->entered) Store(visited_ + c, kDead);
    return Outcome::kFailed;
  }

  void Enter(Member* me, int32_t r) {
    me->path.push_back({r, forward_ ? rows_.begin(r) : rows_.end(r) - 1});
  }

  // Claims column c for the current search: true when it was not dead nor
  // held by another search of the phase, which then taints this one.
  bool Claim(Member* me, int32_t c) {
    int32_t mark = Load(visited_ + c);
    for (;;) {
      if (mark >= phase_start_) {
        me->tainted |= mark != me->stamp;
        return false;
      }
      if (mark == kDead) return false;
      if (Exchange(visited_ + c, &mark, me->stamp)) return true;
    }
  }

  // A free column next to row r, claimed, or -1. Columns never become free
  // again, and one that another search claimed is about to be matched, so
  // the look-ahead resumes where it stopped.
  int32_t LookAhead(Member* me, int32_t r) {
    int64_t e = std::max(lookahead_[r], rows_.begin(r));
    const int64_t end = rows_.end(r);
    while (e < end) {
      ++me->scans;
      const int32_t c = rows_.targets[e++];
      if (Load(mates_.col + c) < 0 && Claim(me, c)) {
        lookahead_[r] = e;
        return c;
      }
    }
    lookahead_[r] = e;
    return -1;
  }

  // The next column of the step's row that this search can claim, claimed;
  // -1 when none is left.
  int32_t NextUnvisited(Member* me, Step* at) {
    const int32_t r = at->row;
    const int64_t step = forward_ ? 1 : -1;
    const int64_t stop = forward_ ? rows_.end(r) : rows_.begin(r) - 1;
    for (int64_t e = at->next; e != stop; e += step) {
      ++me->scans;
      const int32_t c = rows_.targets[e];
      if (!Claim(me, c)) continue;
      if (!me->tainted) me->entered.push_back(c);
      at->next = e + step;
      return c;
    }
    at->next = stop;
    return -1;
  }

  void Augment(Member* me, int32_t free_col) {
    int32_t c = free_col;
    for (size_t i = me->path.size(); i-- > 0;) {
      const int32_t r = me->path[i].row;
      const int32_t previous = Load(mates_.row + r);
      Store(mates_.row + r, c);
      Store(mates_.col + c, r);
      c = previous;
    }
    ++me->pairs;
  }

  const Adjacency& rows_;
  const int32_t cols_;
  Mates mates_;
  MatchingCounters* counters_;
  CancelPoll& cancel_;  // polled by member 0 between phases
  // Per row: the entries before it lead to matched columns. Changed only
  // by the search that holds the row.
  int64_t* lookahead_;
  // Per column: kDead, or the last search that claimed it.
  int32_t* visited_;
  Team* team_;
  std::vector<Member> members_;
  // The phase's roots; the next one to search.
  std::vector<int32_t> roots_;
  std::atomic<size_t> next_root_{0};
  // Searches are numbered from 1 across the members and phases: those of
  // this phase from phase_start_ on; searches_ is the last number given.
  int32_t searches_ = 0;
  int32_t phase_start_ = 1;
  bool forward_ = true;  // odd phases scan forward, even ones backward
  bool done_ = false;
  // The scans reported so far, and the count past which the run stops.
  std::atomic<int64_t> scanned_{0};
  int64_t stop_ = INT64_MAX;
  std::atomic<bool> stopped_{false};
};

}  // namespace

bool ParallelPothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates,
                             MatchingCounters* counters, SearchMemory* memory, Workspace* work,
                             int64_t budget) {
  return ParallelPothenFan(rows, cols, mates, counters, memory, work).Run(budget);
}

void ParallelPothenFanBothSides(const Adjacency& rows, const Adjacency& cols, Mates mates,
                                MatchingCounters* counters, SearchMemory* rows_memory,
                                SearchMemory* cols_memory, Workspace* work) {
  TakeTurns(
      rows, cols,
      [&] { return ParallelPothenFan(rows, cols.count, mates, counters, rows_memory, work); },
      [&] {
        return ParallelPothenFan(cols, rows.count, {mates.col, mates.row, mates.pairs}, counters,
                                 cols_memory, work);
      });
}

}  // namespace fast::internal
