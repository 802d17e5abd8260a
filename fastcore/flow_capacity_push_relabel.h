// Push-relabel on a capacitated residual network, highest label first or
// first in, first out.
#pragma once

#include <cstdint>
#include <vector>

#include "capacity_residual.h"

namespace fast::internal {

// The first phase of Cherkassky and Goldberg's push-relabel method: an
// active node (one with excess) is discharged, pushing excess along
// admissible arcs (residual capacity left, label one lower) and relabelling
// when none is left. With kHighestLabel the active node of highest label is
// taken, otherwise the one that became active first. A global relabelling (exact distances to the
// sink by a breadth-first search) runs at the start and after a fixed amount of relabelling work; a
// gap (a label below n that no node has) lifts every node above it to n. Nodes at label n cannot
// reach the sink and drop out. When no active node below n is left, the sink's excess is the value
// of a maximum flow and the nodes at n are the source side of a minimum cut; the second phase
// (MakeFlow) returns the excess stranded there to the source.
//
// With kPathArcs > 0 (highest label only), the active node is not discharged
// arc by arc but by Goldberg's partial augment-relabel: from it a path of
// admissible arcs is grown along current arcs, relabelling its end and
// stepping back when the end has none, until it has kPathArcs arcs or
// reaches the sink or a node with excess; the path's bottleneck (at most the
// excess) then goes along the whole of it, so that the nodes in between,
// which never hold excess, are neither queued nor discharged.
template <class Cap, bool kHighestLabel, int kPathArcs = 0>
class CapacityPushRelabel {
  static_assert(kHighestLabel || kPathArcs == 0, "paths need the highest label first");

 public:
  // Has all working memory; throws std::bad_alloc.
  explicit CapacityPushRelabel(CapacityResidual<Cap>& network);

  // The first phase, from the flow of value `value` the residual network
  // holds (0 at the start); returns the flow value.
  int64_t Run(FlowCounters& counters, CancelPoll& cancel, int64_t value = 0);
  bool source_side(int32_t u) const { return label_[u] >= n_; }
  // The second phase: pushes the excess of every node but the terminals back
  // to the source along residual arcs, so that the preflow becomes a flow.
  void MakeFlow();

 private:
  static constexpr int32_t kNone = -1;
  // Highest label first: an active node is in its label's active stack,
  // any other in the inactive list. First in, first out: every node is in
  // the inactive list, and the active ones in the ring too.
  struct Bucket {
    int32_t active = kNone;    // a stack of active nodes at this label
    int32_t inactive = kNone;  // a doubly linked list of nodes at this label
  };

  void SaturateSourceArcs(FlowCounters& counters);
  void GlobalRelabel(FlowCounters& counters);
  // Discharge pushes u's excess arc by arc, AugmentRelabel along paths (see
  // above); each until u has no excess left or is lifted to n.
  void Discharge(int32_t u, FlowCounters& counters);
  void AugmentRelabel(int32_t u, FlowCounters& counters);
  // Lifts u to one above its lowest residual neighbour (n at most); false
  // when it went to n, by a gap at its old label or for want of such a
  // neighbour. `listed`: u is in its label's inactive list, and stays in
  // the new label's.
  bool Relabel(int32_t u, bool listed, FlowCounters& counters);
  void Gap(int32_t empty_label);
  // u has just gained excess (and is not a terminal).
  void Activate(int32_t u);
  void AddActive(int32_t u);
  void AddInactive(int32_t u);
  void RemoveInactive(int32_t u);

  CapacityResidual<Cap>& network_;
  const int32_t n_;
  // A valid labelling: label_[u] <= label_[h] + 1 for every residual arc
  // u -> h with capacity left, for u and h below n. The sink stays at 0,
  // the source at n; the labels below n in use form one run 0 ... top_
  // (a gap ends the run), so a node at n cannot reach the sink.
  std::vector<int32_t> label_;
  // Units in minus units out; never negative but at the source.
  std::vector<int64_t> excess_;
  // Arcs before current_[u] are not admissible until u is relabelled.
  std::vector<uint32_t> current_;
  // Every node but the terminals below n is in its label's bucket.
  std::vector<Bucket> buckets_;
  std::vector<int32_t> next_, previous_;
  std::vector<int32_t> queue_;  // of the breadth-first searches and MakeFlow
  // The partial augment-relabel's path: path_[i] is an admissible arc from
  // path_nodes_[i] to path_nodes_[i + 1]; path_nodes_[0] is the node being
  // discharged, and the others hold no excess.
  std::vector<uint32_t> path_;
  std::vector<int32_t> path_nodes_;
  // First in, first out: the active nodes, each once, from ring_head_ on;
  // one whose label reached n meanwhile is dropped when its turn comes.
  std::vector<int32_t> ring_;
  size_t ring_head_ = 0, ring_count_ = 0;
  int32_t top_ = 0;         // the highest label below n in use
  int32_t top_active_ = 0;  // no active node is above it
  int64_t work_since_global_ = 0;
  int64_t global_period_ = 0;
};

template <class Cap>
using HighestLabel = CapacityPushRelabel<Cap, true>;
template <class Cap>
using FifoPushRelabel = CapacityPushRelabel<Cap, false>;
template <class Cap>
using PartialAugmentRelabel = CapacityPushRelabel<Cap, true, 4>;

}  // namespace fast::internal
