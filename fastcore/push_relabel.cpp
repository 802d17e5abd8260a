// Push-relabel for bipartite matching: free rows are the active vertices,
// taken first-in-first-out; column labels bound the alternating distance to
// a free column.
#include <algorithm>

#include "matching_steps.h"

namespace fast::internal {

namespace {

int64_t FreeWithAnEdge(const Adjacency& side, const int32_t* mates) {
  int64_t free = 0;
  for (int32_t v = 0; v < side.count; ++v) free += mates[v] < 0 && side.end(v) > side.begin(v);
  return free;
}

class PushRelabel {
 public:
  // Sizes the arrays of work->push_relabel, reserved before the solve for the
  // larger side, so that nothing is allocated here.
  PushRelabel(const Adjacency& rows, const Adjacency& cols, Mates mates, double factor,
              MatchingCounters* counters, Workspace* work)
      : rows_(rows),
        cols_(cols),
        mates_(mates),
        counters_(counters),
        dead_(2 * cols.count + 2),
        relabel_period_(
            std::max<int64_t>(1, static_cast<int64_t>(factor * (double(rows.count) + cols.count)))),
        cancel_(work->cancel) {
    PushRelabelMemory& memory = work->push_relabel;
    memory.label.resize(cols.count);
    memory.labelled_in.assign(cols.count, 0);
    memory.columns_at.assign(static_cast<size_t>(dead_), 0);
    memory.queue.resize(static_cast<size_t>(rows.count) + 1);
    memory.bfs.resize(cols.count);
    memory.live.resize(rows.count);
    label_ = memory.label.data();
    labelled_in_ = memory.labelled_in.data();
    columns_at_ = memory.columns_at.data();
    queue_ = memory.queue.data();
    bfs_ = memory.bfs.data();
    live_ = memory.live.data();
  }

  // Exact labels, and the free rows queued, in index order, that an
  // alternating path joins to a free column: an augmenting path may start
  // from them (they are live). A free row left out never gets one: its
  // columns' labels are dead, and a label stays a lower bound on the
  // distance through every push and relabelling, so they stay dead. Gives
  // up, false, as soon as more than `most_live` free rows prove live; the
  // search is then of no further use. Changes no mate.
  bool Begin(int64_t most_live) {
    most_live_ = most_live;
    std::fill(live_, live_ + rows_.count, 0);
    marking_ = true;
    const bool found = GlobalRelabel();
    marking_ = false;
    if (!found) return false;
    for (int32_t r = 0; r < rows_.count; ++r)
      if (live_[r]) Activate(r);
    return true;
  }

  // Pushes until no row is active: every free row left has only dead
  // columns around it, so no augmenting path starts from it. Or until
  // cancelled, which is looked at with each global relabelling.
  void Run() {
    int64_t pushes_until_relabel = relabel_period_;
    while (head_ != tail_) {
      int32_t r = queue_[head_];
      head_ = head_ + 1 == queue_size() ? 0 : head_ + 1;
      DoublePush(r);
      if (--pushes_until_relabel == 0) {
        if (cancel_()) return;
        GlobalRelabel();
        pushes_until_relabel = relabel_period_;
      }
    }
  }

 private:
  // A column's label as the search sees it: a column that held a label
  // above the gap when the gap appeared is dead.
  int32_t Label(int32_t c) const {
    return label_[c] > gap_ && labelled_in_[c] != gaps_ ? dead_ : label_[c];
  }

  size_t queue_size() const { return static_cast<size_t>(rows_.count) + 1; }

  void Activate(int32_t r) {
    queue_[tail_] = r;
    tail_ = tail_ + 1 == queue_size() ? 0 : tail_ + 1;
  }

  // Row r takes its lowest-labelled column, whose mate (if any) becomes
  // active; the column's new label is 2 above the next-lowest column of r.
  void DoublePush(int32_t r) {
    int32_t best = -1, lowest = dead_, second = dead_;
    const int64_t begin = rows_.begin(r), end = rows_.end(r);
    for (int64_t i = 0; i < end - begin; ++i) {
      ++counters_->arc_scans;
      int32_t c = rows_.targets[forward_ ? begin + i : end - 1 - i];
      int32_t label = Label(c);
      if (label < lowest) {
        second = lowest;
        lowest = label;
        best = c;
        if (label == 0) break;  // a free column: second only bounds the new label
      } else if (label < second) {
        second = label;
      }
    }
    if (lowest >= dead_) return;
    if (lowest == 0) second = 0;
    int32_t previous = mates_.col[best];
    mates_.row[r] = best;
    mates_.col[best] = r;
    Relabel(best, std::min(second + 2, dead_));
    if (previous >= 0) {
      mates_.row[previous] = -1;
      Activate(previous);
    } else {
      ++*mates_.pairs;
    }
  }

  // A gap below the current one kills every label above it; one above it
  // is left alone, since columns relabelled since the current gap appeared
  // may hold labels between the two.
  void Relabel(int32_t c, int32_t label) {
    const int32_t old = label_[c];
    label_[c] = label;
    labelled_in_[c] = gaps_;
    if (label < dead_) ++columns_at_[label];
    if (--columns_at_[old] == 0 && old < gap_) {
      gap_ = old;
      ++gaps_;
    }
  }

  // Exact labels: twice the alternating distance from a free column,
  // found by a breadth-first search from all free columns at once. While
  // marking_, marks the free rows it reaches there, and gives up, false,
  // once more than most_live_ are marked.
  bool GlobalRelabel() {
    ++counters_->phases;
    forward_ = !forward_;
    std::fill(label_, label_ + cols_.count, dead_);
    std::fill(columns_at_, columns_at_ + dead_, 0);
    gap_ = dead_;
    size_t queued = 0;
    for (int32_t c = 0; c < cols_.count; ++c)
      if (mates_.col[c] < 0) {
        label_[c] = 0;
        bfs_[queued++] = c;
      }
    const bool marking = marking_;
    int64_t marked = 0;
    for (size_t head = 0; head < queued; ++head) {
      const int32_t c = bfs_[head];
      ++columns_at_[label_[c]];
      for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e) {
        ++counters_->arc_scans;
        const int32_t r = cols_.targets[e];
        const int32_t next = mates_.row[r];
        if (next >= 0 && label_[next] == dead_) {
          label_[next] = label_[c] + 2;
          bfs_[queued++] = next;
        } else if (next < 0 && marking && !live_[r]) {
          live_[r] = 1;
          if (++marked > most_live_) return false;
        }
      }
    }
    return true;
  }

  const Adjacency& rows_;
  const Adjacency& cols_;
  Mates mates_;
  MatchingCounters* counters_;
  // Labels at or above dead_ mean no free column is reachable.
  const int32_t dead_;
  const int64_t relabel_period_;  // pushes between global relabellings
  // Per column: a lower bound on twice its alternating distance to a free
  // column; 0 exactly for free columns; never decreases between global
  // relabellings.
  int32_t* label_;
  // Per column: the value of gaps_ when its label was last set.
  uint32_t* labelled_in_;
  // Per label below dead_: the columns holding it. When a count drops to
  // zero every label above it is dead (the gap), since labels are even and
  // fall by at most 2 a step along an alternating path.
  int32_t* columns_at_;
  int32_t gap_ = 0;
  uint32_t gaps_ = 0;     // gaps found so far
  bool forward_ = false;  // the scan direction, flipped at each global relabelling
  // Active rows, a ring of rows + 1 slots: a row is queued at most once.
  int32_t* queue_;
  size_t head_ = 0, tail_ = 0;
  int32_t* bfs_;  // the breadth-first queue of a global relabelling, a column at most once
  // Per row, while Begin() looks for the live free rows: 1 once found.
  uint8_t* live_;
  bool marking_ = false;
  int64_t most_live_ = 0;
  CancelPoll& cancel_;
};

}  // namespace

void PushRelabelSearch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                       double global_relabel_factor, MatchingCounters* counters, Workspace* work) {
  PushRelabel search(rows, cols, mates, global_relabel_factor, counters, work);
  search.Begin(rows.count);
  search.Run();
}

// Each round of first-in-first-out pushes costs a push from every live free
// row, and the hopeless ones among them push on until a global relabelling
// finds them dead. Where a maximum matching leaves many vertices free on
// both sides, the free vertices of one side may all be live (their hopeless
// region stays joined to the rest of the graph until the matching there is
// right) and few of the other's. So the rows push when at most half their
// free ones are live, else the columns, when at most half theirs are; else
// the rows after all. Finding more than half live, the first look gives up
// part of the way through its breadth-first search.
void PushRelabelEitherSide(const Adjacency& rows, const Adjacency& cols, Mates mates,
                           double global_relabel_factor, MatchingCounters* counters,
                           Workspace* work) {
  {
    PushRelabel from_rows(rows, cols, mates, global_relabel_factor, counters, work);
    if (from_rows.Begin(FreeWithAnEdge(rows, mates.row) / 2)) {
      from_rows.Run();
      return;
    }
  }
  {
    PushRelabel from_cols(cols, rows, {mates.col, mates.row, mates.pairs}, global_relabel_factor,
                          counters, work);
    if (from_cols.Begin(FreeWithAnEdge(cols, mates.col) / 2)) {
      from_cols.Run();
      return;
    }
  }
  PushRelabelSearch(rows, cols, mates, global_relabel_factor, counters, work);
}

}  // namespace fast::internal
