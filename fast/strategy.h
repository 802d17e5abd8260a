// The look at the graph that decides what a MaximumMatching runs: which
// side the searches start from, which first matching, which search.
#pragma once

#include <cstdint>
#include <functional>

#include "matching.h"
#include "matching_steps.h"

namespace fast::internal {

// The options with every kAuto field decided. `column_side` gives the
// columns' adjacency; it is called only when a decision needs it.
MatchingPlan ChoosePlan(const Adjacency& rows, const MatchingOptions& options,
                        const std::function<Adjacency()>& column_side);

// An upper bound on the matching size: the rows with an edge, or the
// columns with one when `cols` has its adjacency, whichever is fewer.
int64_t MatchableBound(const Adjacency& rows, const Adjacency& cols);

}  // namespace fast::internal
