// The look at the graph that decides what a MaximumMatching runs: which
// side the searches start from, which first matching, which search.
#pragma once

#include <cstdint>

#include "matching.h"
#include "matching_steps.h"

namespace fast::internal {

// Degree statistics of one side.
struct Degrees {
  int64_t non_empty = 0;  // vertices with an edge
  int64_t entries = 0;
  int64_t most = 0;  // the largest degree
};

// One look at both sides' offsets.
struct Look {
  Degrees rows;
  Degrees cols;  // all zero when the columns' adjacency was not given
  // An upper bound on the matching size: the rows with an edge, or the
  // columns with one (all columns without their adjacency), whichever is
  // fewer.
  int64_t bound = 0;
};

// `cols` may lack its adjacency (offsets null).
Look LookAt(const Adjacency& rows, const Adjacency& cols);

// Whether ChoosePlan() or the plan it makes from `options` needs the
// columns' adjacency.
bool NeedsColumnSide(const MatchingOptions& options);

// The options with every kAuto field decided; the look must include the
// columns when NeedsColumnSide(options).
MatchingPlan ChoosePlan(const Look& look, const MatchingOptions& options);

}  // namespace fast::internal
