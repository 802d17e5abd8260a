// Dinic's blocking flows on a capacitated residual network.
#pragma once

#include <cstdint>
#include <vector>

#include "capacity_residual.h"

namespace fast::internal {

// Each phase labels the nodes by their residual distance to the sink, then
// finds a blocking flow of the shortest augmenting paths by depth-first
// searches from the source that only follow arcs with capacity left one
// step closer to the sink; each path sends its bottleneck. O(n^2 m) in
// general, and often a handful of phases.
template <class Cap>
class CapacityDinic {
 public:
  // Has all working memory; throws std::bad_alloc.
  explicit CapacityDinic(CapacityResidual<Cap>& network);

  // Augments to a maximum flow and returns its value. Afterwards the nodes
  // still unlabelled by the last labelling (which missed the source) are the
  // source side of a minimum cut.
  int64_t Run(FlowCounters& counters, CancelPoll& cancel);
  // One phase: false when the sink is out of reach (the flow is maximum),
  // otherwise true with the units sent added to *value.
  bool Phase(FlowCounters& counters, int64_t* value);
  bool source_side(int32_t u) const { return distance_[u] == kUnlabelled; }
  void MakeFlow() {}  // the result is a flow already

 private:
  static constexpr int32_t kUnlabelled = -1;

  // Breadth-first from the sink over arcs whose partner has capacity left,
  // stopping once the source is labelled; true when it is.
  bool Label(FlowCounters& counters);
  // Finds a blocking flow; returns the units sent.
  int64_t Augment(FlowCounters& counters);
  // Sends the path's bottleneck and returns it; cuts the path back to the
  // tail of its first arc left without capacity, where the search resumes.
  Cap SendAlongPath();

  CapacityResidual<Cap>& network_;
  // The residual distance from u to the sink in this phase, or kUnlabelled;
  // a node found to be a dead end is unlabelled again during the phase.
  std::vector<int32_t> distance_;
  // u's arcs before current_[u] are not admissible for the rest of the phase.
  std::vector<uint32_t> current_;
  std::vector<int32_t> queue_;
  // The search path from the source: its first path_length_ nodes, each
  // leaving along its current arc.
  std::vector<int32_t> path_;
  size_t path_length_ = 0;
};

}  // namespace fast::internal
