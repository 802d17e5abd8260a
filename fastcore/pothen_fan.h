// What PF+ on one thread (pothen_fan.cpp) and on a team
// (parallel_pothen_fan.cpp) share: the dead mark, and PF+ from both sides
// in turn.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

#include "matching_steps.h"

namespace fast::internal {

// The visited mark of a dead column (pothen_fan.cpp): one in a closed set,
// skipped by every later search.
constexpr int32_t kDead = -1;

// The failed searches of one side explore the part of the graph that the
// free vertices of that side reach; on a deficient graph that part may be
// nearly all of it from one side and small from the other. A phase from
// either side without an augmentation proves the matching maximum, and an
// augmenting path found from one side is one from the other, reversed; dead
// columns of the searches from the rows stay dead whichever side finds the
// later paths, since no augmenting path touches a closed set. So the two
// sides take turns, each until it has scanned a budget that doubles every
// round: the solve costs a few times what the cheaper side needs.
//
// make_rows() and make_cols() make the searches from each side, each with
// a Run(budget) that returns true once it proved the matching maximum; the
// second is made only when the first does not finish within its budget.
template <class MakeRows, class MakeCols>
void TakeTurns(const Adjacency& rows, const Adjacency& cols, MakeRows make_rows,
               MakeCols make_cols) {
  constexpr int64_t kFirstShare = 16;  // the first budget: this share of one pass
  int64_t budget = std::max<int64_t>(1, OnePass(rows, cols.count) / kFirstShare);
  auto from_rows = make_rows();
  if (from_rows.Run(budget)) return;
  auto from_cols = make_cols();
  for (;; budget = std::min(budget, INT64_MAX / 4) * 2)
    if (from_cols.Run(budget) || from_rows.Run(budget)) return;
}

}  // namespace fast::internal
