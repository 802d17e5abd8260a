// The automatic plan's first try when the caller gives the rows' lists
// alone: a greedy start and PF+ from the rows, which read nothing else.
#include <algorithm>

#include "matching.h"
#include "matching_steps.h"
#include "strategy.h"

namespace fast {

// Building the columns' lists (a transpose, a pass over every entry that
// writes to scattered places) may cost several times what the whole
// matching costs where a greedy start matches nearly everything (an
// ordered grid or band, a triangular pattern). So the rows try first, for
// about one pass over their lists: a greedy start, then PF+ within a budget
// of one pass. Where that proves the matching maximum the solve is over;
// else the mates are freed again and the two-sided plan starts afresh, as
// if this try had not been made (its scans stay counted).
bool MaximumMatching::SolveFromRowsAlone(const internal::Adjacency& rows) {
  const internal::Look look = internal::LookAt(rows, internal::Adjacency{graph_.cols});
  plan_.initialisation = Initialisation::kGreedy;
  plan_.search = Search::kPothenFan;
  plan_.side = Side::kRows;
  plan_.threads = work_->team != nullptr ? work_->team->size() : 1;
  internal::GreedyMatch(rows, graph_.cols, Mates(), &counters_, work_.get(),
                        internal::GreedyByDegree(look.rows) ? internal::GreedyOrder::kByDegree
                                                            : internal::GreedyOrder::kIndex);
  if (size_ == look.bound || work_->cancel()) return true;
  const int64_t budget = rows.end(rows.count - 1) + rows.count + graph_.cols;
  if (Grow(rows, internal::Adjacency{graph_.cols}, budget)) return true;
  size_ = 0;
  counters_.initial_pairs = 0;
  std::fill(row_mates_.begin(), row_mates_.end(), -1);
  std::fill(col_mates_.begin(), col_mates_.end(), -1);
  return false;
}

}  // namespace fast
