// Maximum flow in networks with integer arc capacities.
//
//   fast::FlowNetwork network{nodes, arcs, tails, heads, capacities, source, sink};
//   fast::MaxFlow flow(network);
//   if (flow.Solve() == fast::Status::kOptimal) use(flow.value(), flow.arc_flow());
//
// The solver works on a residual copy of the network and never changes the
// caller's arrays. A network whose capacities are all 1 goes to the unit
// solver (unit_flow.h) with the algorithm of the same name, counters and
// all, unless the algorithm is one the unit solver does not have.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "status.h"
#include "unit_flow.h"

namespace fast {

namespace internal {
class CapacitatedSolver;
}  // namespace internal

// The largest capacity, and the largest total out of the source or into the
// sink, that a network may have: every excess and flow value then fits in a
// signed 64-bit integer with room to add one more arc's capacity.
constexpr int64_t kMaxCapacity = int64_t{1} << 62;

// Arc i runs from tails[i] to heads[i] with capacity capacities[i] in
// 0 ... kMaxCapacity, or 1 when `capacities` is null; ids 0-based in
// [0, nodes). Self-loops (which carry nothing), parallel arcs and arcs in
// both directions between two nodes are allowed; an arc of capacity 0
// carries nothing.
struct FlowNetwork {
  int32_t nodes = 0;
  int64_t arcs = 0;
  const int32_t* tails = nullptr;
  const int32_t* heads = nullptr;
  const int64_t* capacities = nullptr;
  int32_t source = 0;
  int32_t sink = 0;

  int64_t capacity(int64_t i) const { return capacities != nullptr ? capacities[i] : 1; }
};

enum class MaxFlowAlgorithm {
  // Highest-label push-relabel with global and gap relabelling, to a
  // maximum preflow; the preflow is made a flow when the flow is asked for.
  kHighestLabel,
  // The same, each active node discharged by Goldberg's partial
  // augment-relabel: pushes along admissible paths of up to four arcs.
  kPartialAugment,
  // First-in first-out push-relabel with global and gap relabelling.
  kPushRelabel,
  // Dinic's blocking flows.
  kDinic,
  // Boykov and Kolmogorov's two search trees, kept between augmentations.
  kBoykovKolmogorov,
  // Hochbaum's pseudoflow algorithm, highest label first.
  kPseudoflow,
  // Dinic's phases while they send much for their work, then push-relabel.
  kHybrid,
  // The plan a look at the network suggests (docs/fastflow.md).
  kAuto,
};

// The algorithm named `name` ("highest-label", "partial-augment",
// "push-relabel", "dinic",
// "boykov-kolmogorov", "pseudoflow", "hybrid", "auto"); false when none is.
bool ParseMaxFlowAlgorithm(std::string_view name, MaxFlowAlgorithm* algorithm);

class MaxFlow {
 public:
  // Keeps a view of `network`: its arrays must outlive the object. While
  // `cancel` (when given) is set, Solve() stops at its next phase boundary
  // (a global relabelling of push-relabel, a Dinic phase, an active node of
  // Boykov-Kolmogorov, a root of pseudoflow; on a unit network, those of
  // the unit solver) and returns Status::kCancelled; it may be set from any
  // thread or a signal handler, and must outlive Solve().
  explicit MaxFlow(const FlowNetwork& network, MaxFlowAlgorithm algorithm = MaxFlowAlgorithm::kAuto,
                   const std::atomic<bool>* cancel = nullptr);
  ~MaxFlow();
  MaxFlow(const MaxFlow&) = delete;
  MaxFlow& operator=(const MaxFlow&) = delete;

  // Checks the network and builds the solver's working memory: kInvalidInput
  // for an id or a capacity out of range, kCapacityOverflow for a total out
  // of the source or into the sink above kMaxCapacity. Solve() does this
  // itself when it was not done before; calling it first lets a caller time
  // the algorithm apart from the set-up. Never throws.
  Status Prepare();

  // Before Prepare(): the threads a solve may run on (UnitMaxFlow::SetThreads).
  // Only the matching of a unit network of the matching shape uses more
  // than one; every other algorithm runs on the calling thread.
  void SetThreads(int threads, int64_t parallel_min_entries);

  // Computes the value of a maximum flow and a minimum cut; may be called
  // once. Never throws.
  Status Solve();

  // After a successful Solve():
  int64_t value() const { return value_; }
  // The threads the solve ran on.
  int threads() const { return unit_ != nullptr ? unit_->threads() : 1; }
  // arcs entries: the flow on each input arc, in 0 ... its capacity; they
  // form a flow of value() from the source to the sink, and self-loops
  // carry none. Worked out on the first call.
  const std::vector<int64_t>& arc_flow() const;
  // nodes entries, 1 = on the source side of a minimum cut: the capacities
  // of the arcs leaving this side add up to value(); the source is on it,
  // the sink (unless it is the source) is not.
  const std::vector<uint8_t>& source_side() const;
  const FlowCounters& counters() const { return counters_; }
  // True when the network went to the unit solver (every capacity 1).
  bool unit() const { return unit_ != nullptr; }

  // Proves the result: a flow within the capacities, conserved at every node
  // but the terminals, bringing value() units into the sink, and a source
  // side whose leaving arcs' capacities add up to value(). Solve() runs it
  // in builds with assertions.
  bool CheckResult() const;

 private:
  // What Validate finds out about a valid network.
  struct Shape {
    bool all_unit = true;       // every capacity is 1
    bool narrow = true;         // every capacity fits in 32 bits
    int64_t terminal_arcs = 0;  // arcs out of the source or into the sink
  };
  // Checks ids, capacities and the totals at the terminals.
  Status Validate(Shape* shape) const;
  // Builds the unit solver or a capacitated one (throws std::bad_alloc).
  Status Build(const Shape& shape);
  // The algorithm kAuto stands for on a network with capacities.
  MaxFlowAlgorithm Plan(const Shape& shape) const;

  FlowNetwork network_;
  MaxFlowAlgorithm algorithm_;
  const std::atomic<bool>* cancel_;  // the caller's flag, or null
  int threads_ = 1;                  // SetThreads()
  int64_t parallel_min_entries_ = MatchingOptions{}.parallel_min_entries;
  // Exactly one of them is set by a successful Prepare().
  std::unique_ptr<UnitMaxFlow> unit_;
  std::unique_ptr<internal::CapacitatedSolver> solver_;
  int64_t value_ = 0;
  FlowCounters counters_;
  mutable std::vector<int64_t> arc_flow_;
  mutable std::vector<uint8_t> source_side_;
};

}  // namespace fast
