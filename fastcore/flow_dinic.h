// Dinic's blocking flows on a unit-capacity residual network.
#pragma once

#include <cstdint>
#include <vector>

#include "cancel_poll.h"
#include "flow_residual.h"

namespace fast::internal {

// Each phase labels the nodes by their residual distance to the sink, then
// saturates every shortest augmenting path by depth-first searches from the
// source that only follow open arcs one step closer to the sink. On unit
// capacities a phase costs O(m), and there are O(√m) phases (O(√n) on a
// matching reduction, where this is Hopcroft-Karp).
class Dinic {
 public:
  Dinic(ResidualNetwork& network, FlowCounters& counters, CancelPoll& cancel);

  // Augments to a maximum flow and returns its value. Afterwards the nodes
  // still unlabelled by the last labelling (which missed the source) are the
  // source side of a minimum cut. Cancelled (looked at before each phase),
  // stops with the units sent so far.
  int64_t Run();
  // One phase: false when the sink is out of reach (the flow is maximum),
  // otherwise true with the units sent added to *value.
  bool Phase(int64_t* value);
  bool unlabelled(int32_t u) const { return distance_[u] == kUnlabelled; }

 private:
  static constexpr int32_t kUnlabelled = -1;

  // Breadth-first from the sink over arcs whose partner is open, stopping
  // once the source is labelled; true when it is.
  bool Label();
  // Saturates every shortest path; returns the units sent.
  int64_t Augment();
  // Advances current_[u] to its first admissible arc; false when none is left.
  bool Advance(int32_t u);

  ResidualNetwork& network_;
  FlowCounters& counters_;
  CancelPoll& cancel_;
  // The residual distance from u to the sink in this phase, or kUnlabelled;
  // a node found to be a dead end is unlabelled again during the phase.
  std::vector<int32_t> distance_;
  // u's arcs before current_[u] are not admissible for the rest of the phase.
  std::vector<uint32_t> current_;
  std::vector<int32_t> queue_;
  // The search path: arcs path_arcs_[k] leads from path_nodes_[k] onwards.
  std::vector<uint32_t> path_arcs_;
  std::vector<int32_t> path_nodes_;
};

}  // namespace fast::internal
