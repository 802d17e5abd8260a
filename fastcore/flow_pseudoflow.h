// Hochbaum's pseudoflow algorithm, highest label first, on a capacitated
// residual network.
#pragma once

#include <cstdint>
#include <vector>

#include "capacity_residual.h"

namespace fast::internal {

// Every arc out of the source and into the sink starts saturated: the
// nodes they touch hold excess (strong) or deficit, and flow moves only
// between the other nodes. They are kept in a forest in which only a root
// may be out of balance; a tree is strong when its root has excess. The
// strong root of highest label looks, among the nodes of its tree at its
// label, for a residual arc to a node one label lower (a merger arc): it
// then hangs its tree there, re-rooted at the arc's tail, and pushes its
// excess along the path to the other tree's root. An arc on the path too
// narrow for what comes splits the tree: the part below becomes a strong
// tree with the excess that could not pass. A node of the root's label
// without a merger arc (and whose children at that label have none) is
// relabelled; a label that no node has any more (a gap) ends every strong
// tree above it: its nodes go to label n, where nothing merges into them,
// so that no residual arc out of them ever appears again.
//
// Labels are lower bounds on the residual distance to a node with deficit
// (those keep label 0), so a strong tree cut off by a gap cannot pass its
// excess on. When no strong root is left, the nodes that cannot reach a
// deficit are the source side of a minimum cut, and the value is the
// sinks' capacity less the deficits left. MakeFlow returns the excess to
// the source and makes up the deficits from the sink.
template <class Cap>
class Pseudoflow {
 public:
  // Has all working memory; throws std::bad_alloc.
  explicit Pseudoflow(CapacityResidual<Cap>& network);

  int64_t Run(FlowCounters& counters, CancelPoll& cancel);
  bool source_side(int32_t u) const { return label_[u] == kCutOff; }
  void MakeFlow();

 private:
  static constexpr int32_t kNone = -1;
  static constexpr uint32_t kNoArc = ~uint32_t{0};
  // The label of the terminals, which no node ever looks for, and of the
  // source side once found.
  static constexpr int32_t kCutOff = INT32_MAX;

  // Saturates the terminals' arcs; returns the capacity into the sink and
  // along arcs straight from the source to the sink.
  int64_t SaturateTerminalArcs(FlowCounters& counters);
  void ProcessRoot(int32_t root, FlowCounters& counters);
  // The arc from u (at label l) to a node at label l - 1 with capacity
  // left, from u's current arc on; kNoArc when there is none.
  uint32_t MergerArc(int32_t u, FlowCounters& counters);
  // Lifts u, a node of root's tree, one label; false when that left a gap
  // and ended the trees above (root's among them).
  bool Relabel(int32_t u, int32_t root, FlowCounters& counters);
  // Sets every node of root's tree to label n, for good.
  void EndTree(int32_t root);
  // Hangs root's tree from arc a (leaving v, a node of the tree), then
  // pushes root's excess on to the root of the tree a leads into.
  void Merge(int32_t root, int32_t v, uint32_t a);
  void PushExcess(int32_t from, int64_t excess);
  void AddChild(int32_t parent, int32_t child);
  void RemoveChild(int32_t parent, int32_t child);
  int32_t Parent(int32_t u) const { return network_.arcs()[parent_arc_[u]].head(); }
  void AddStrongRoot(int32_t u);
  // Labels every node that can reach a deficit, the rest kCutOff.
  void FindCut();

  CapacityResidual<Cap>& network_;
  const int32_t n_;
  // A lower bound on the residual distance to a node with deficit, which
  // stays at 0; within a tree a child's label is at least its parent's.
  std::vector<int32_t> label_;
  // Nodes at each label below n (the terminals not counted).
  std::vector<int32_t> count_;
  // Units in minus units out; nonzero only at roots.
  std::vector<int64_t> excess_;
  // u's arc to its parent (in u's list), kNoArc at a root.
  std::vector<uint32_t> parent_arc_;
  // Each node's children in a doubly linked list.
  std::vector<int32_t> first_child_, next_sibling_, previous_sibling_;
  // The child a search of u's tree goes down next.
  std::vector<int32_t> next_scan_;
  // Arcs before current_[u] are no merger arcs until u is relabelled.
  std::vector<uint32_t> current_;
  // Strong roots waiting, a stack per label; top_ bounds the labels used.
  std::vector<int32_t> roots_, next_root_;
  int32_t top_ = 0;
};

}  // namespace fast::internal
