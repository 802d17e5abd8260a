// The capacitated max-flow algorithms behind one interface, each on its own
// residual network.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cancel_poll.h"
#include "max_flow.h"

namespace fast::internal {

class CapacitatedSolver {
 public:
  virtual ~CapacitatedSolver() = default;
  // Runs the algorithm and returns the flow value; a minimum cut is known
  // afterwards, the flow on every arc only once ArcFlows has been called.
  // Stops early, with nothing to be used, once `cancel` answers true.
  virtual int64_t Solve(FlowCounters& counters, CancelPoll& cancel) = 0;
  // nodes entries, 1 = on the source side of a minimum cut.
  virtual void SourceSide(std::vector<uint8_t>* side) const = 0;
  // The flow on every arc of `network`, the network solved, in input order.
  virtual void ArcFlows(const FlowNetwork& network, std::vector<int64_t>* flows) = 0;
};

// `algorithm` on `network`, with 32-bit residual capacities when `narrow`
// (every capacity below 2^32); has all working memory. Throws
// std::bad_alloc. kAuto is not an algorithm here: the caller has chosen.
std::unique_ptr<CapacitatedSolver> MakeCapacitatedSolver(const FlowNetwork& network,
                                                         MaxFlowAlgorithm algorithm, bool narrow);

}  // namespace fast::internal
