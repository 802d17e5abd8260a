// Push-relabel for bipartite matching: free rows are the active vertices,
// taken first-in-first-out; column labels bound the alternating distance to
// a free column.
#include <algorithm>
#include <vector>

#include "matching_steps.h"

namespace fast::internal {

namespace {

class PushRelabel {
 public:
  PushRelabel(const Adjacency& rows, const Adjacency& cols, Mates mates, double factor,
              MatchingCounters* counters, CancelPoll* cancel)
      : rows_(rows),
        cols_(cols),
        mates_(mates),
        counters_(counters),
        dead_(2 * cols.count + 2),
        relabel_period_(
            std::max<int64_t>(1, static_cast<int64_t>(factor * (double(rows.count) + cols.count)))),
        label_(cols.count),
        labelled_in_(cols.count, 0),
        columns_at_(static_cast<size_t>(dead_), 0),
        queue_(static_cast<size_t>(rows.count) + 1),
        cancel_(*cancel) {}

  // Runs until no row is active: every free row left has only dead
  // columns around it, so no augmenting path starts from it. Or until
  // cancelled, which is looked at with each global relabelling.
  void Run() {
    GlobalRelabel();
    for (int32_t r = 0; r < rows_.count; ++r)
      if (mates_.row[r] < 0 && rows_.end(r) > rows_.begin(r)) Activate(r);
    int64_t pushes_until_relabel = relabel_period_;
    while (head_ != tail_) {
      int32_t r = queue_[head_];
      head_ = head_ + 1 == queue_.size() ? 0 : head_ + 1;
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

  void Activate(int32_t r) {
    queue_[tail_] = r;
    tail_ = tail_ + 1 == queue_.size() ? 0 : tail_ + 1;
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
  // found by a breadth-first search from all free columns at once.
  void GlobalRelabel() {
    ++counters_->phases;
    forward_ = !forward_;
    std::fill(label_.begin(), label_.end(), dead_);
    std::fill(columns_at_.begin(), columns_at_.end(), 0);
    gap_ = dead_;
    bfs_.clear();
    for (int32_t c = 0; c < cols_.count; ++c)
      if (mates_.col[c] < 0) {
        label_[c] = 0;
        bfs_.push_back(c);
      }
    for (size_t head = 0; head < bfs_.size(); ++head) {
      const int32_t c = bfs_[head];
      ++columns_at_[label_[c]];
      for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e) {
        ++counters_->arc_scans;
        const int32_t next = mates_.row[cols_.targets[e]];
        if (next >= 0 && label_[next] == dead_) {
          label_[next] = label_[c] + 2;
          bfs_.push_back(next);
        }
      }
    }
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
  std::vector<int32_t> label_;
  // Per column: the value of gaps_ when its label was last set.
  std::vector<uint32_t> labelled_in_;
  // Per label below dead_: the columns holding it. When a count drops to
  // zero every label above it is dead (the gap), since labels are even and
  // fall by at most 2 a step along an alternating path.
  std::vector<int32_t> columns_at_;
  int32_t gap_ = 0;
  uint32_t gaps_ = 0;     // gaps found so far
  bool forward_ = false;  // the scan direction, flipped at each global relabelling
  // Active rows, a ring of rows + 1 slots: a row is queued at most once.
  std::vector<int32_t> queue_;
  size_t head_ = 0, tail_ = 0;
  std::vector<int32_t> bfs_;
  CancelPoll& cancel_;
};

}  // namespace

void PushRelabelSearch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                       double global_relabel_factor, MatchingCounters* counters,
                       CancelPoll* cancel) {
  PushRelabel(rows, cols, mates, global_relabel_factor, counters, cancel).Run();
}

}  // namespace fast::internal
