// The automatic plan's first try when the caller gives the rows' lists
// alone: a greedy start from the rows, then PF+ from the rows or, where
// the columns are fewer, sweeps from the columns, which read nothing else.
#include <algorithm>

#include "matching.h"
#include "matching_steps.h"
#include "strategy.h"

namespace fast {

bool MaximumMatching::FromRowsAloneFirst() const {
  return graph_.col_offsets == nullptr && options_.initialisation == Initialisation::kAuto &&
         options_.search == Search::kAuto && options_.side == Side::kAuto;
}

// The two-sided plan first builds the columns' lists: a transpose, which
// reads every entry twice and writes each to a scattered place, and whose
// working memory is touched for the first time. Where a greedy start from
// the rows matches nearly every vertex (an ordered grid, band or mesh, a
// nearly triangular pattern) that costs several times the whole matching.
// So the rows try first: a greedy start that gives up once more than a
// small share of the rows find no free column (on a random graph that
// happens within the first part of the pass), then PF+ within what is left
// of a budget of one pass over the lists for the two (where the columns
// are clearly fewer, sweeps instead: below). Where they prove the
// matching maximum the solve is over; else the mates are freed again and
// the two-sided plan starts afresh, as if this try had not been made (its
// scans stay counted).
//
// A deficient block's surplus rows are misses too, but none a random
// graph would have (GreedyMatch's `forgiven`): the greedy start forgives
// them, and PF+'s failed searches from them, which prove the block's trees
// dead, do not count against the budget (`matchflow.structural_rank` on
// genbip's 10M deficient matrix as written: 0.12 s to 0.05, where the rows
// gave up and the columns' lists were built; on its 10M components, small
// and dense, 0.094 to 0.047 as written, 0.19 to 0.10 shuffled). Where few
// misses were forgiven and the rows' numbering keeps neighbours together,
// PF+ keeps several searches in flight: after a greedy start each search
// walks a chain of rows, each waiting for the one before, even where they
// lie close together (the 10M band as written: 0.061 to 0.043). Not where
// many fail, since searches in flight cut each other short and fewer prove
// their trees dead (the components as written: 0.047 to 0.109), nor where
// a few rows hold a large share of the entries (the shuffled 10M
// block-diagonal matrix's coupling rows: 0.061 to 0.162), nor on a random
// numbering, where the searches in flight read more and gained nothing
// (the 10M hidden perfect matching shuffled, each list in column order:
// 0.046 to 0.052).
bool MaximumMatching::SolveFromRowsAlone(const internal::Adjacency& rows) {
  constexpr int64_t kMissShare = 32;   // rows left free at most: this share of the matchable ones
  constexpr int64_t kSweepPasses = 4;  // the sweeps' budget, in passes over the lists
  plan_.initialisation = Initialisation::kGreedy;
  plan_.search = Search::kPothenFan;
  plan_.side = Side::kRows;
  plan_.threads = work_->team != nullptr ? work_->team->size() : 1;
  // As in the two-sided plan, the diagonal first (read from the rows' lists
  // here): on an ordered grid or band it matches every row reading a few
  // entries of each, where the greedy start leaves paths for PF+.
  if (internal::DiagonalMatch(rows, graph_.cols, Mates(), &counters_)) return true;
  const internal::Look look = internal::LookAt(rows, internal::Adjacency{graph_.cols});
  // Where the columns are clearly fewer, the greedy start leaves free at
  // least every row beyond their number: it may still match every column
  // (a few columns among many rows, at once), but PF+ from the rows would
  // search from each free row in vain (a tall 10M-entry mesh: 0.25 s and
  // 1.0 s as written and shuffled, mostly that). The sweeps search from
  // the free columns instead, reading the rows' lists in order: one sweep
  // matches the last few hundred columns of that mesh (0.074 s to 0.043 as
  // written, 0.22 to 0.054 shuffled, where the two-sided plan took over).
  // Where the paths' rows come in the wrong order each sweep gets one step
  // further (genbip's shuffled 10M long paths with their last 30% of
  // columns dropped: one path a sweep, 13 sweeps, 0.12 s against 0.066
  // for the two-sided plan), so the two-sided plan, which starts from the
  // columns, takes over where the first sweep matched fewer than half the
  // columns it might (there: 0.038 s to 0.048 with the one sweep), or the
  // sweeps have read four passes' worth.
  const bool columns_fewer = internal::ClearlyFewer(graph_.cols, look.rows.non_empty);
  const bool by_degree = internal::GreedyByDegree(look.rows);
  if (by_degree) work_->UnfoldOrder();
  // Where a few rows hold a large share of the entries, the greedy start
  // goes by degree, and on one thread it does not give up: its misses are
  // then rows with few entries, all to columns that rows before them took
  // (genbip's power law on both sides: 72,000 of its 10M matrix's 250,000
  // rows stay free in every maximum matching), and PF+'s failed searches
  // from them prove their trees dead outside its budget, as below.
  const bool keep_going = by_degree && work_->team == nullptr && !columns_fewer;
  const int64_t misses =
      keep_going ? -1 : look.rows.non_empty - look.bound + look.bound / kMissShare;
  int64_t forgiven = 0;
  const bool matched = internal::GreedyMatch(
      rows, graph_.cols, Mates(), &counters_, work_.get(),
      by_degree ? internal::GreedyOrder::kByDegree : internal::GreedyOrder::kIndex, misses, 0,
      work_->team == nullptr && !columns_fewer ? &forgiven : nullptr);
  if (matched && (size_ == look.bound || work_->cancel())) return true;
  if (matched && columns_fewer) {
    plan_.search = Search::kSweeps;
    const internal::Adjacency cols{graph_.cols};
    const int64_t greedy_pairs = size_;
    if (Grow(rows, cols, 1)) return true;  // one sweep
    if (2 * (size_ - greedy_pairs) >= look.bound - greedy_pairs &&
        Grow(rows, cols, kSweepPasses * internal::OnePass(rows, graph_.cols)))
      return true;
  }
  // PF+ gets what is left of one pass after the greedy start.
  const int64_t budget = internal::OnePass(rows, graph_.cols) - counters_.arc_scans;
  if (matched && budget > 0 && !columns_fewer) {
    work_->UnfoldRows();
    if (forgiven <= look.bound / kMissShare && !internal::HasHubs(look.rows) &&
        !internal::NeighboursApart(rows))
      plan_.search = Search::kPothenFanInterleaved;
    if (Grow(rows, internal::Adjacency{graph_.cols}, budget, forgiven > 0 || keep_going))
      return true;
  }
  size_ = 0;
  counters_.initial_pairs = 0;
  std::fill(row_mates_.begin(), row_mates_.end(), -1);
  std::fill(col_mates_.begin(), col_mates_.end(), -1);
  return false;
}

}  // namespace fast
