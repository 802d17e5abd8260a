#include "matching.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "matching_steps.h"
#include "strategy.h"

namespace fast {

namespace internal {

namespace {

// Whether `bad(i)` holds for no i in [0, n). Blocks of a fixed length, with
// no exit inside, which the compiler turns into vector compares: the check
// reads every entry of the graph, and on an ordered grid or band it cost
// more than the matching itself.
template <typename Bad>
bool NoneBad(int64_t n, Bad bad) {
  constexpr int64_t kBlock = 1024;
  int64_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    unsigned any = 0;  // a bool is not reduced on vectors
    for (int64_t k = 0; k < kBlock; ++k) any |= bad(i + k);
    if (any) return false;
  }
  for (; i < n; ++i)
    if (bad(i)) return false;
  return true;
}

// offsets: count + 1 entries from 0, never decreasing; every target in
// [0, limit).
bool ValidSide(int32_t count, const int64_t* offsets, const int32_t* targets, int32_t limit) {
  if (count < 0 || offsets == nullptr || offsets[0] != 0) return false;
  if (!NoneBad(count, [offsets](int64_t v) { return offsets[v + 1] < offsets[v]; })) return false;
  const int64_t entries = offsets[count];
  if (entries > 0 && targets == nullptr) return false;
  const uint32_t bound = static_cast<uint32_t>(limit);
  return NoneBad(
      entries, [targets, bound](int64_t e) { return static_cast<uint32_t>(targets[e]) >= bound; });
}

}  // namespace

bool ValidGraph(const BipartiteGraph& graph) {
  if (graph.rows < 0 || graph.cols < 0) return false;
  if (!ValidSide(graph.rows, graph.offsets, graph.targets, graph.cols)) return false;
  if (graph.col_offsets == nullptr && graph.col_targets == nullptr) return true;
  return ValidSide(graph.cols, graph.col_offsets, graph.col_targets, graph.rows) &&
         graph.col_offsets[graph.cols] == graph.offsets[graph.rows];
}

void Transpose(const Adjacency& rows, int32_t cols, std::vector<int64_t>* offsets,
               std::vector<int32_t>* targets) {
  offsets->assign(static_cast<size_t>(cols) + 1, 0);
  int64_t* const start = offsets->data();
  const int32_t* const from = rows.targets;
  const int64_t entries = rows.end(rows.count - 1);
  for (int64_t e = 0; e < entries; ++e) ++start[from[e] + 1];
  for (int32_t c = 0; c < cols; ++c) start[c + 1] += start[c];
  targets->resize(static_cast<size_t>(entries));
  int32_t* const to = targets->data();
  // start[c] is column c's next free place while the entries are placed,
  // and ends as the start of column c + 1. Where the rows' lists scatter
  // their columns, each place is a cache miss, and so may be the column's
  // start: both are asked for ahead, the starts twice as far ahead as the
  // places they lead to.
  constexpr int64_t kAhead = 16;
  int64_t e = 0;
  for (int32_t r = 0; r < rows.count; ++r)
    for (const int64_t end = rows.end(r); e < end; ++e) {
      if (e + 2 * kAhead < entries) __builtin_prefetch(start + from[e + 2 * kAhead]);
      if (e + kAhead < entries) __builtin_prefetch(to + start[from[e + kAhead]], 1);
      to[start[from[e]]++] = r;
    }
  for (int32_t c = cols; c > 0; --c) start[c] = start[c - 1];
  start[0] = 0;
}

Reached AlternatingReach(const Adjacency& side, const int32_t* side_mates,
                         const int32_t* other_mates, uint8_t label, uint8_t* side_marks,
                         uint8_t* other_marks, int32_t* queue) {
  // Local copies: a store of a mark (a byte) might otherwise change `side`
  // for all the compiler knows, and every entry would reload it.
  const int64_t* const offsets = side.offsets;
  const int32_t* const targets = side.targets;
  const int32_t count = side.count;
  int32_t tail = 0, others = 0;
  // Without branches: free vertices lie scattered, and a branch on each
  // would be mispredicted about as often as taken.
  for (int32_t v = 0; v < count; ++v) {
    queue[tail] = v;
    tail += side_mates[v] < 0;
  }
  for (int32_t i = 0; i < tail; ++i) side_marks[queue[i]] = label;
  // The queue says which lists come next: their offsets are fetched two
  // steps before their entries, which are fetched kAhead vertices early.
  constexpr int32_t kAhead = 16;
  for (int32_t head = 0; head < tail; ++head) {
    if (head + 2 * kAhead < tail) __builtin_prefetch(offsets + queue[head + 2 * kAhead]);
    if (head + kAhead < tail) __builtin_prefetch(targets + offsets[queue[head + kAhead]]);
    const int32_t v = queue[head];
    for (int64_t e = offsets[v], end = offsets[v + 1]; e < end; ++e) {
      const int32_t w = targets[e];
      if (other_marks[w] != 0) continue;
      other_marks[w] = label;
      ++others;
      const int32_t mate = other_mates[w];
      if (mate >= 0 && side_marks[mate] == 0) {
        side_marks[mate] = label;
        queue[tail++] = mate;
      }
    }
  }
  return {tail, others};
}

}  // namespace internal

internal::Workspace::Workspace(int32_t rows, int32_t cols, const std::atomic<bool>* cancel_flag,
                               bool unfold)
    : taken(static_cast<size_t>(std::max(rows, cols)) / 64 + 1),
      cancel(cancel_flag),
      rows_(rows),
      cols_(cols) {
  degree_one.reserve(static_cast<size_t>(rows) + cols);
  narrow_offsets.reserve(static_cast<size_t>(rows) + cols + 2);
  from_rows.lookahead.reserve(rows);
  from_rows.visited.reserve(cols);
  from_cols.lookahead.reserve(cols);
  from_cols.visited.reserve(rows);
  const size_t larger = static_cast<size_t>(std::max(rows, cols));
  entered.reserve(larger);
  push_relabel.label.reserve(larger);
  push_relabel.labelled_in.reserve(larger);
  push_relabel.columns_at.reserve(2 * larger + 2);
  push_relabel.queue.reserve(larger + 1);
  push_relabel.bfs.reserve(larger);
  push_relabel.live.reserve(larger);
  sweeps.tree.reserve(larger);
  sweeps.parent.reserve(larger);
  sweeps.augmented.reserve(larger / 64 + 1);
  for (auto* vertices :
       {&meeting.forward, &meeting.backward, &meeting.free_rows, &meeting.free_cols})
    vertices->reserve(larger);
  meeting.marks.reserve(larger);
  if (!unfold) return;
  Unfold();
  // Before the solve, with the rest: the meeting searches would clear and
  // first touch them in it. Not after a failed try from the rows alone,
  // where most plans never run those searches.
  meeting.marks.resize(larger);
}

void internal::Workspace::UnfoldOrder() { degree_one.resize(static_cast<size_t>(rows_) + cols_); }

void internal::Workspace::UnfoldRows() {
  from_rows.lookahead.resize(rows_);
  from_rows.visited.resize(cols_);
}

void internal::Workspace::Unfold() {
  UnfoldOrder();
  narrow_offsets.resize(static_cast<size_t>(rows_) + cols_ + 2);
  UnfoldRows();
  from_cols.lookahead.resize(cols_);
  from_cols.visited.resize(rows_);
}

MaximumMatching::MaximumMatching(const BipartiteGraph& graph, const MatchingOptions& options)
    : graph_(graph), options_(options) {}

MaximumMatching::~MaximumMatching() = default;

Status MaximumMatching::Prepare() {
  if (work_ != nullptr) return Status::kOptimal;
  if (options_.threads < 0 || (options_.check_input && !internal::ValidGraph(graph_)))
    return Status::kInvalidInput;
  try {
    row_mates_.assign(graph_.rows, -1);
    col_mates_.assign(graph_.cols, -1);
    const bool rows_alone_first = FromRowsAloneFirst();
    work_ = std::make_unique<internal::Workspace>(graph_.rows, graph_.cols, options_.cancel,
                                                  !rows_alone_first);
    if (!rows_alone_first && internal::NeedsColumnSide(options_)) ColumnSide();
    StartTeam();
  } catch (const std::bad_alloc&) {
    work_.reset();
    return Status::kOutOfMemory;
  }
  return Status::kOptimal;
}

void MaximumMatching::StartTeam() {
  const int threads = options_.threads == 0 ? internal::AvailableCores() : options_.threads;
  const int64_t entries = graph_.rows > 0 ? graph_.offsets[graph_.rows] : 0;
  if (threads <= 1 || entries < options_.parallel_min_entries) return;
  try {
    work_->team = std::make_unique<internal::Team>(threads);
  } catch (const std::system_error&) {
    // No threads to be had: the solve runs on this one.
  }
}

Status MaximumMatching::Solve() {
  const Status prepared = Prepare();
  if (prepared != Status::kOptimal) return prepared;
  try {
    if (!work_->cancel()) SolveValid();
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  return work_->cancel.seen() ? Status::kCancelled : Status::kOptimal;
}

void MaximumMatching::SolveValid() {
  // Only a run of this solve proves it (the parallel searches record none).
  work_->from_rows.proof_start = work_->from_cols.proof_start = 0;
  const internal::Adjacency rows{graph_.rows, graph_.offsets, graph_.targets};
  if (FromRowsAloneFirst()) {
    if (SolveFromRowsAlone(rows)) return;
    // The two-sided plan reads and writes every array of the workspace,
    // however early the try gave up.
    work_->Unfold();
  }
  const internal::Adjacency cols =
      internal::NeedsColumnSide(options_) ? ColumnSide() : internal::Adjacency{graph_.cols};
  const int threads = work_->team != nullptr ? work_->team->size() : 1;
  if (DiagonalFirst(cols, threads)) return;
  const internal::Look look = internal::LookAt(rows, cols);
  plan_ = internal::ChoosePlan(look, rows, cols, options_);
  plan_.threads = threads;
  if (plan_.greedy_probe &&
      GreedyProbe(cols, look.cols.non_empty - look.bound, internal::DenseGraph(look) ? 2 : 0))
    return;
  Initialise(rows, cols, look);
  if (size_ == look.bound || work_->cancel()) return;
  if (plan_.greedy_probe && plan_.initialisation == Initialisation::kKarpSipser)
    plan_.search = internal::SearchAfterKarpSipser(look, size_);
  const bool restart = plan_.restart_side != Side::kAuto;
  // A budget of passes over the adjacency: PF+ finishes within it where a
  // greedy start leaves few and short augmenting paths.
  const int64_t budget = restart ? internal::PassesBeforeRestart(plan_.initialisation) *
                                       internal::OnePass(rows, cols.count)
                                 : -1;
  if (Grow(rows, cols, budget) || !restart) return;
  // With many vertices still free, PF+'s passes went on searches that fail,
  // which a Karp-Sipser start would not spare it: push-relabel, whose
  // global relabelling proves them hopeless at once, goes on from here.
  if (internal::SearchAfterKarpSipser(look, size_) == Search::kPushRelabelEitherSide) {
    plan_.search = Search::kPushRelabelEitherSide;
    Grow(rows, cols, -1);
    return;
  }
  // On a dense graph Karp-Sipser would read every long list twice for the
  // few vertices left free (genbip's 10M uniform matrix in breadth-first
  // order: 38.7M entries in all): PF+ from both sides goes on from here
  // instead (15.6M).
  if (internal::DenseGraph(look)) {
    plan_.search = Search::kPothenFanBothSides;
    Grow(rows, cols, -1);
    return;
  }
  // Karp-Sipser sets every mate slot afresh.
  size_ = 0;
  counters_.initial_pairs = 0;
  plan_.initialisation = Initialisation::kKarpSipser;
  plan_.side = plan_.restart_side;
  Initialise(rows, cols, look);
  plan_.search = internal::SearchAfterKarpSipser(look, size_);
  if (size_ < look.bound && !work_->cancel()) Grow(rows, cols, -1);
}

// An automatic plan first pairs each column with the row of its number
// when every one of them has it (ordered grids, honeycombs and long paths):
// a matching as large as the smaller side, found before the look at the
// degrees, whose pass over both sides' offsets would cost about as much
// again. True, with the plan a greedy start from the columns, when it did.
bool MaximumMatching::DiagonalFirst(const internal::Adjacency& cols, int threads) {
  if (options_.initialisation != Initialisation::kAuto || options_.search != Search::kAuto)
    return false;
  const internal::Mates mates{col_mates_.data(), row_mates_.data(), &size_};
  if (!internal::DiagonalMatch(cols, graph_.rows, mates, &counters_)) return false;
  plan_ = {
      Initialisation::kGreedy, Search::kPothenFan, Side::kColumns, false, Side::kAuto, threads};
  return true;
}

// A greedy start from the columns, a tenth of Karp-Sipser's cost, given up
// once more than `misses` columns with an edge stay free; true, and the
// plan changed to a greedy start, when it matches every vertex it can.
// When it does not, the start that follows begins afresh.
// With `scans_per_column` > 0 it also gives up once it reads more than
// that many entries a column: on a dense graph along a chain, where it
// matches every column it reads about one (genbip's 10M long paths in
// breadth-first order: 253,255 entries for 250,000 columns, where the
// degree-one rule read all 10.25M), and a band has it read far into its
// lists long before the first miss (the 10M band as written: 5.1M
// entries, as many as the whole solve after it).
bool MaximumMatching::GreedyProbe(const internal::Adjacency& cols, int64_t misses,
                                  int64_t scans_per_column) {
  MatchingCounters probe;
  const internal::Mates mates{col_mates_.data(), row_mates_.data(), &size_};
  const bool matched =
      internal::GreedyMatch(cols, graph_.rows, mates, &probe, work_.get(),
                            internal::GreedyOrder::kIndex, misses, scans_per_column);
  counters_.arc_scans += probe.arc_scans;
  if (matched) {
    plan_ = {
        Initialisation::kGreedy, plan_.search, Side::kColumns, false, Side::kAuto, plan_.threads};
    counters_.initial_pairs = probe.initial_pairs;
    return true;
  }
  size_ = 0;
  // Karp-Sipser sets every mate slot afresh; its degree-one rule alone
  // starts from free mates, and leaves them as they are where no vertex
  // has degree one.
  if (plan_.initialisation == Initialisation::kDegreeOne) {
    std::fill(row_mates_.begin(), row_mates_.end(), -1);
    std::fill(col_mates_.begin(), col_mates_.end(), -1);
  }
  return false;
}

// The first matching, from the plan's side.
void MaximumMatching::Initialise(const internal::Adjacency& rows, const internal::Adjacency& cols,
                                 const internal::Look& look) {
  const bool from_rows = plan_.side == Side::kRows;
  const internal::Adjacency& from = from_rows ? rows : cols;
  const int64_t most = std::max(look.rows.most, look.cols.most);
  if (plan_.initialisation == Initialisation::kGreedy) {
    const bool by_degree = internal::GreedyByDegree(from_rows ? look.rows : look.cols);
    internal::GreedyMatch(
        from, from_rows ? graph_.cols : graph_.rows, Mates(), &counters_, work_.get(),
        by_degree ? internal::GreedyOrder::kByDegree : internal::GreedyOrder::kIndex);
  } else if (plan_.initialisation == Initialisation::kKarpSipser) {
    internal::KarpSipserMatch(from, from_rows ? cols : rows, most, Mates(), &counters_,
                              work_.get());
  } else if (plan_.initialisation == Initialisation::kKarpSipserThenGreedy) {
    internal::KarpSipserThenGreedyMatch(from, from_rows ? cols : rows, Mates(), &counters_,
                                        work_.get());
  } else if (plan_.initialisation == Initialisation::kDegreeOne) {
    internal::DegreeOneMatch(from, from_rows ? cols : rows, most, Mates(), &counters_, work_.get());
  }
}

internal::Mates MaximumMatching::Mates() {
  return plan_.side == Side::kRows ? internal::Mates{row_mates_.data(), col_mates_.data(), &size_}
                                   : internal::Mates{col_mates_.data(), row_mates_.data(), &size_};
}

// The plan's search from the plan's side; false when PF+ stopped at
// `budget` scanned entries (negative: none) short of a maximum matching.
bool MaximumMatching::Grow(const internal::Adjacency& rows, const internal::Adjacency& cols,
                           int64_t budget, bool spare_dead_trees) {
  const bool from_rows = plan_.side == Side::kRows;
  const internal::Adjacency& from = from_rows ? rows : cols;
  const internal::Adjacency& to = from_rows ? cols : rows;
  internal::SearchMemory* from_memory = from_rows ? &work_->from_rows : &work_->from_cols;
  internal::SearchMemory* to_memory = from_rows ? &work_->from_cols : &work_->from_rows;
  switch (plan_.search) {
    case Search::kPushRelabel:
      internal::PushRelabelSearch(from, to, Mates(), options_.global_relabel_factor, &counters_,
                                  work_.get());
      return true;
    case Search::kPushRelabelEitherSide:
      internal::PushRelabelEitherSide(from, to, Mates(), options_.global_relabel_factor, &counters_,
                                      work_.get());
      return true;
    case Search::kPothenFanThenPushRelabel:
      if (!internal::PothenFanSearch(from, to.count, Mates(), &counters_, from_memory, work_.get(),
                                     internal::OnePass(from, to.count)))
        internal::PushRelabelSearch(from, to, Mates(), options_.global_relabel_factor, &counters_,
                                    work_.get());
      return true;
    case Search::kPothenFanBothSides:
      internal::PothenFanBothSides(from, to, Mates(), &counters_, from_memory, to_memory,
                                   work_.get());
      return true;
    case Search::kSweeps:
      return internal::SweepSearch(from, to.count, Mates(), &counters_, work_.get(), budget);
    case Search::kPothenFanInterleaved:
      return internal::InterleavedPothenFanSearch(from, to.count, Mates(), &counters_, from_memory,
                                                  work_.get(), budget, spare_dead_trees);
    default:
      return internal::PothenFanSearch(from, to.count, Mates(), &counters_, from_memory,
                                       work_.get(), budget, spare_dead_trees);
  }
}

internal::Adjacency MaximumMatching::ColumnSide() {
  if (graph_.col_offsets != nullptr) return {graph_.cols, graph_.col_offsets, graph_.col_targets};
  if (own_col_offsets_.empty())
    internal::Transpose({graph_.rows, graph_.offsets, graph_.targets}, graph_.cols,
                        &own_col_offsets_, &own_col_targets_);
  return {graph_.cols, own_col_offsets_.data(), own_col_targets_.data()};
}

void MaximumMatching::MinimumVertexCover(std::vector<uint8_t>* row_in_cover,
                                         std::vector<uint8_t>* col_in_cover) const {
  // The rows that alternating paths from the free rows reach leave the
  // cover, the columns they reach join it.
  std::vector<uint8_t> reached(graph_.rows, 0);
  col_in_cover->assign(graph_.cols, 0);
  std::vector<int32_t> queue(graph_.rows);
  internal::AlternatingReach({graph_.rows, graph_.offsets, graph_.targets}, row_mates_.data(),
                             col_mates_.data(), 1, reached.data(), col_in_cover->data(),
                             queue.data());
  row_in_cover->resize(graph_.rows);
  for (int32_t r = 0; r < graph_.rows; ++r) (*row_in_cover)[r] = reached[r] ^ 1;
}

bool MaximumMatching::CheckResult() const {
  int64_t pairs = 0;
  for (int32_t r = 0; r < graph_.rows; ++r) {
    int32_t c = row_mates_[r];
    if (c < 0) continue;
    if (c >= graph_.cols || col_mates_[c] != r) return false;
    bool edge = false;
    for (int64_t e = graph_.offsets[r]; e < graph_.offsets[r + 1] && !edge; ++e)
      edge = graph_.targets[e] == c;
    if (!edge) return false;
    ++pairs;
  }
  for (int32_t c = 0; c < graph_.cols; ++c)
    if (col_mates_[c] >= 0 && row_mates_[col_mates_[c]] != c) return false;
  std::vector<uint8_t> row_in_cover, col_in_cover;
  MinimumVertexCover(&row_in_cover, &col_in_cover);
  int64_t cover = 0;
  for (uint8_t in : row_in_cover) cover += in;
  for (uint8_t in : col_in_cover) cover += in;
  for (int32_t r = 0; r < graph_.rows; ++r)
    for (int64_t e = graph_.offsets[r]; e < graph_.offsets[r + 1]; ++e)
      if (!row_in_cover[r] && !col_in_cover[graph_.targets[e]]) return false;
  return pairs == size_ && cover == size_;
}

}  // namespace fast
