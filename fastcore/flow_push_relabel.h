// First-in first-out push-relabel on a unit-capacity residual network.
#pragma once

#include <cstdint>
#include <vector>

#include "cancel_poll.h"
#include "flow_residual.h"

namespace fast::internal {

// A single-phase preflow algorithm: every node with excess is discharged in
// turn, pushing units along admissible arcs (open, one label lower) and
// relabelling when it has none. Labels below n estimate the distance to
// the sink, labels from n up the distance back to the source, so excess that
// cannot reach the sink flows home and the preflow ends a flow. A global
// relabelling (exact distances by breadth-first search) runs at the start
// and after a fixed amount of relabelling work; a gap (no node left at a
// label below n) lifts every node above it to n at once.
class PushRelabel {
 public:
  PushRelabel(ResidualNetwork& network, FlowCounters& counters, CancelPoll& cancel);

  // Pushes to a maximum flow and returns its value; cancelled (looked at
  // with each global relabelling), stops with a preflow and returns 0.
  int64_t Run();

 private:
  void GlobalRelabel();
  // Breadth-first over arcs whose partner is open, labelling unlabelled
  // nodes from `base` + 1 up; the root gets `base`.
  void LabelFrom(int32_t root, int32_t base);
  void Discharge(int32_t u);
  void Relabel(int32_t u);
  void Activate(int32_t u);
  // Bucket lists of the nodes with labels below n, for the gap test.
  void BucketInsert(int32_t u);
  void BucketRemove(int32_t u);
  void Gap(int32_t empty_label);

  ResidualNetwork& network_;
  FlowCounters& counters_;
  const int32_t n_;
  // A valid labelling: label_[u] <= label_[h] + 1 for every open arc u -> h;
  // the source stays at n, the sink at 0.
  std::vector<int32_t> label_;
  // Units in minus units out; positive only at active nodes.
  std::vector<int32_t> excess_;
  // Arcs before current_[u] are not admissible until u is relabelled.
  std::vector<uint32_t> current_;
  // Active nodes in a ring; each active node is in it exactly once.
  std::vector<int32_t> active_;
  size_t active_head_ = 0, active_count_ = 0;
  // bucket_[d] heads a doubly linked list (next_, previous_) of the nodes
  // but the terminals labelled d, for d < n; top_ bounds the labels in use.
  std::vector<int32_t> bucket_, next_, previous_;
  int32_t top_ = 0;
  std::vector<int32_t> queue_;     // of the global relabelling's searches
  int64_t work_since_global_ = 0;  // arc scans of relabels since the last global relabelling
  int64_t global_period_ = 0;      // the work that triggers the next one
  CancelPoll& cancel_;
};

}  // namespace fast::internal
