// Boykov and Kolmogorov's augmenting paths by two search trees, on a
// capacitated residual network.
#pragma once

#include <cstdint>
#include <vector>

#include "capacity_residual.h"

namespace fast::internal {

// Two trees grow from the terminals, one from the source along arcs with
// capacity left and one from the sink against them, and are kept between
// augmentations instead of being searched anew. Growth: an active node
// takes its free neighbours into its tree; an arc to the other tree closes
// an augmenting path. Augmentation sends the path's bottleneck; the nodes
// below its saturated arcs become orphans. Adoption: an orphan takes a new
// parent in its tree whose path to the terminal is intact (the closest such
// parent), or becomes free, orphaning its children and activating the
// neighbours that could take it back. When no active node is left, the
// source's tree is the source side of a minimum cut. Fast on networks of
// short paths and many ties, the grids of image segmentation above all.
template <class Cap>
class BoykovKolmogorov {
 public:
  // Has all working memory; throws std::bad_alloc.
  explicit BoykovKolmogorov(CapacityResidual<Cap>& network);

  // Augments to a maximum flow and returns its value.
  int64_t Run(FlowCounters& counters, CancelPoll& cancel);
  bool source_side(int32_t u) const { return tree_[u] == kSourceTree; }
  void MakeFlow() {}  // the result is a flow already

 private:
  enum Tree : uint8_t { kFree, kSourceTree, kSinkTree };
  static constexpr int32_t kRoot = -1, kOrphan = -2;  // the parents of a terminal, an orphan
  static constexpr uint32_t kNoArc = ~uint32_t{0};
  static constexpr int32_t kNotQueued = -2, kLast = -1;

  void Activate(int32_t u);
  // The next active node, or kLast when none is left.
  int32_t NextActive();
  // Grows u's tree from u's arc `from` on; returns u's arc to a node of the
  // other tree, which closes an augmenting path, or kNoArc when none did.
  uint32_t Grow(int32_t u, uint32_t from, FlowCounters& counters);
  // Sends the bottleneck of the path through arc a (from the source's tree
  // to the sink's) and returns it; orphans the nodes below saturated arcs.
  Cap Augment(uint32_t a);
  // The bottleneck of u's path to its terminal, from the source's tree
  // downwards or to the sink's upwards.
  Cap TreeBottleneck(int32_t u, Cap limit) const;
  void PushAlongTree(int32_t u, Cap delta);
  void Orphan(int32_t u);
  void Adopt(FlowCounters& counters);
  // The distance from u to its tree's terminal when u's path to it is
  // intact, or -1; validates the nodes on the way for this round.
  int32_t DistanceToTerminal(int32_t u);

  CapacityResidual<Cap>& network_;
  const int32_t n_;
  // The tree u is in; the root of the source's tree is the source, of the
  // sink's the sink. Growth looks at the tree of every neighbour it scans:
  // a byte a node keeps those looks in cache.
  std::vector<uint8_t> tree_;
  // What the walks up a tree read at each node, in one record so that one
  // cache line serves a step: they need neither the node's arcs nor the
  // partner array.
  struct Node {
    // The arc of u's tree edge that its path's flow goes along: from the
    // parent to u in the source's tree, from u to the parent in the sink's.
    uint32_t arc;
    // u's parent; kRoot for the terminals, kOrphan for an orphan, any for
    // a free node.
    int32_t parent;
    // A bound on u's distance to its terminal, exact when stamp is the
    // current round's.
    int32_t distance;
    int32_t stamp;
  };
  std::vector<Node> node_;
  int32_t round_ = 1;
  // The active nodes, first in, first out, linked by next_active_
  // (kNotQueued when u is not in the queue).
  std::vector<int32_t> next_active_;
  int32_t first_active_ = kLast, last_active_ = kLast;
  // The orphans waiting for adoption, first in, first out.
  std::vector<int32_t> orphans_;
  size_t orphan_head_ = 0, orphan_count_ = 0;
};

}  // namespace fast::internal
