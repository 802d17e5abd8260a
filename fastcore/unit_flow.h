// Maximum flow in unit-capacity networks.
//
//   fast::UnitNetwork network{nodes, arcs, tails, heads, source, sink};
//   fast::UnitMaxFlow flow(network);
//   if (flow.Solve() == fast::Status::kOptimal) use(flow.value(), flow.arc_flow());
//
// The solver works on a residual copy of the network and never changes the
// caller's arrays.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "matching.h"
#include "status.h"

namespace fast {

namespace internal {
class CancelPoll;
class Dinic;
class MatchingReduction;
class ResidualNetwork;
}  // namespace internal

// Arc i runs from tails[i] to heads[i], capacity 1; ids 0-based in [0, nodes).
// Self-loops and parallel arcs allowed.
struct UnitNetwork {
  int32_t nodes = 0;
  int64_t arcs = 0;
  const int32_t* tails = nullptr;
  const int32_t* heads = nullptr;
  int32_t source = 0;
  int32_t sink = 0;
};

enum class FlowAlgorithm {
  // Blocking flows along shortest paths, each phase a breadth-first labelling
  // from the sink and a depth-first augmentation from the source
  // (Hopcroft-Karp on a matching reduction).
  kDinic,
  // First-in first-out push-relabel with global and gap relabelling.
  kPushRelabel,
  // Dinic's phases while they send many units for their work (the short
  // paths), then push-relabel for the long tail.
  kHybrid,
  // A network of the matching shape (fastcore/flow_matching.h) is solved as a
  // bipartite matching by MaximumMatching; any other by kHybrid.
  kAuto,
};

// What a solve did, for the report line.
struct FlowCounters {
  // Dinic: blocking-flow phases (breadth-first labellings).
  // Push-relabel: global relabellings, the first one included.
  int64_t phases = 0;
  // Every look at a residual arc: in labellings, in searches for an
  // admissible arc, in pushes and in relabels.
  int64_t arc_scans = 0;
};

// The algorithm named `name` ("dinic", "push-relabel", "hybrid", "auto");
// false when none is.
bool ParseFlowAlgorithm(std::string_view name, FlowAlgorithm* algorithm);

class UnitMaxFlow {
 public:
  // Keeps a view of `network`: its arrays must outlive Solve(). While
  // `cancel` (when given) is set, Solve() stops at its next phase boundary
  // (a Dinic phase, a global relabelling of push-relabel, a phase of the
  // matching solver on a matching reduction: a few times a second on large
  // networks, nothing in the inner loops) and returns Status::kCancelled;
  // it may be set from any thread or a signal handler, and must outlive
  // Solve().
  explicit UnitMaxFlow(const UnitNetwork& network, FlowAlgorithm algorithm = FlowAlgorithm::kDinic,
                       const std::atomic<bool>* cancel = nullptr);
  ~UnitMaxFlow();
  UnitMaxFlow(const UnitMaxFlow&) = delete;
  UnitMaxFlow& operator=(const UnitMaxFlow&) = delete;

  // Checks the network and builds the solver's residual arrays from it
  // (on a matching reduction: both sides' adjacency and the matching
  // solver's working memory).
  // Solve() does this itself when it was not done before; calling it first
  // lets a caller time the algorithm apart from the set-up. Never throws.
  Status Prepare();

  // Before Prepare(): the threads a matching reduction's matching may run
  // on, as MatchingOptions::threads and parallel_min_entries say (default
  // 1). Dinic's phases and push-relabel run on the calling thread alone.
  void SetThreads(int threads, int64_t parallel_min_entries);

  // Computes a maximum flow; may be called once. Never throws.
  Status Solve();

  // After a successful Solve():
  int64_t value() const { return value_; }
  // The threads the solve ran on: more than one only for a matching
  // reduction whose matching ran on a team.
  int threads() const { return matching_ != nullptr ? matching_->plan().threads : 1; }
  // arcs entries, 1 = the arc carries flow. The arcs carrying flow form a
  // flow of value() from the source to the sink; self-loops carry none.
  // (On a matching reduction both are worked out on the first call.)
  const std::vector<uint8_t>& arc_flow() const;
  // nodes entries, 1 = on the source side of a minimum cut: exactly value()
  // arcs lead from this side to the other; the source is on it, the sink
  // (unless it is the source) is not.
  const std::vector<uint8_t>& source_side() const;
  const FlowCounters& counters() const { return counters_; }

  // Proves the result with its certificate: a flow that is conserved at
  // every node but the terminals and brings value() units into the sink,
  // and a source side with value() arcs leaving it. Solve() runs it in
  // builds with assertions.
  bool CheckResult() const;

 private:
  Status Validate() const;
  // Dinic's phases while they pay (kHybrid), adding to value_.
  bool ShortPhases(internal::Dinic& dinic, internal::CancelPoll& cancel);
  // Each false when cancelled.
  bool SolveFlow();
  bool SolveMatching();
  // Fills arc_flow_ and source_side_ from matching_ when they are empty.
  void MatchingResults() const;

  UnitNetwork network_;
  // Set by Prepare(): the matching of a kAuto network of the matching
  // shape, the residual network otherwise.
  std::unique_ptr<internal::MatchingReduction> reduction_;
  std::unique_ptr<internal::ResidualNetwork> residual_;
  FlowAlgorithm algorithm_;
  const std::atomic<bool>* cancel_;  // the caller's flag, or null
  int threads_ = 1;                  // SetThreads()
  int64_t parallel_min_entries_ = MatchingOptions{}.parallel_min_entries;
  int64_t value_ = 0;
  // The matching of a matching reduction, set by Prepare() and kept until
  // the flow and cut are asked for.
  std::unique_ptr<MaximumMatching> matching_;
  mutable std::vector<uint8_t> arc_flow_;
  mutable std::vector<uint8_t> source_side_;
  FlowCounters counters_;
};

}  // namespace fast
