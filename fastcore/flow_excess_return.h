// Turning a preflow or a pseudoflow into a flow.
#pragma once

#include <cstdint>

#include "capacity_residual.h"

namespace fast::internal {

// With `to_source`, pushes the excess of every node but the terminals back
// to the source; otherwise makes up every node's deficit (excess below 0)
// from the sink, taking flow off the paths that carry it there. Either way
// along residual arcs only, first in, first out, each node labelled by its
// residual distance to (or from) that terminal and relabelled when stuck.
// The excess must have come from the source (the deficit must go to the
// sink) along residual paths, which is what a preflow's and a pseudoflow's
// excesses have done; the flow into the sink does not change with
// `to_source`. The arrays hold one entry per node and are the caller's
// working memory: `excess` is updated, the others are overwritten.
template <class Cap>
void ReturnExcess(CapacityResidual<Cap>& network, int64_t* excess, bool to_source, int32_t* label,
                  int32_t* queue, uint32_t* current);

}  // namespace fast::internal
