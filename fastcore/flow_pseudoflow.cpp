#include "flow_pseudoflow.h"

#include <algorithm>

#include "flow_excess_return.h"

namespace fast::internal {

template <class Cap>
Pseudoflow<Cap>::Pseudoflow(CapacityResidual<Cap>& network)
    : network_(network),
      n_(network.nodes()),
      label_(size_t(n_), 0),
      count_(size_t(n_) + 1, 0),
      excess_(size_t(n_), 0),
      parent_arc_(size_t(n_), kNoArc),
      first_child_(size_t(n_), kNone),
      next_sibling_(size_t(n_), kNone),
      previous_sibling_(size_t(n_), kNone),
      next_scan_(size_t(n_), kNone),
      current_(size_t(n_)),
      roots_(size_t(n_) + 1, kNone),
      next_root_(size_t(n_), kNone) {}

template <class Cap>
int64_t Pseudoflow<Cap>::Run(FlowCounters& counters, CancelPoll& cancel) {
  const int64_t saturated = SaturateTerminalArcs(counters);
  const int32_t source = network_.source(), sink = network_.sink();
  for (int32_t u = 0; u < n_; ++u) {
    current_[u] = network_.begin(u);
    if (u == source || u == sink) {
      label_[u] = kCutOff;
      continue;
    }
    ++count_[0];
    if (excess_[u] > 0) AddStrongRoot(u);
  }
  for (;;) {
    while (top_ >= 0 && roots_[top_] == kNone) --top_;
    if (top_ < 0 || cancel()) break;
    const int32_t root = roots_[top_];
    roots_[top_] = next_root_[root];
    ProcessRoot(root, counters);
  }
  FindCut();
  int64_t deficits = 0;
  for (int32_t u = 0; u < n_; ++u)
    if (u != source && u != sink && excess_[u] < 0) deficits -= excess_[u];
  return saturated - deficits;
}

template <class Cap>
int64_t Pseudoflow<Cap>::SaturateTerminalArcs(FlowCounters& counters) {
  const int32_t source = network_.source(), sink = network_.sink();
  const auto* arcs = network_.arcs();
  const uint32_t* partner = network_.partners();
  int64_t saturated = 0;
  // The source's list holds its arcs, the sink's the partners of its arcs.
  for (uint32_t a = network_.begin(source); a < network_.end(source); ++a) {
    const Cap delta = arcs[a].residual;
    network_.Push(a, delta);
    if (arcs[a].head() == sink)
      saturated += int64_t(delta);
    else
      excess_[arcs[a].head()] += int64_t(delta);
  }
  for (uint32_t a = network_.begin(sink); a < network_.end(sink); ++a) {
    const Cap delta = arcs[partner[a]].residual;
    if (delta == 0) continue;  // an arc from the source, saturated above
    network_.Push(partner[a], delta);
    excess_[arcs[a].head()] -= int64_t(delta);
    saturated += int64_t(delta);
  }
  counters.arc_scans +=
      network_.end(source) - network_.begin(source) + network_.end(sink) - network_.begin(sink);
  return saturated;
}

// A search of the root's tree, depth first over the nodes at the root's
// label: each is looked at for a merger arc when first reached, and
// relabelled once none of its children at that label is left.
template <class Cap>
void Pseudoflow<Cap>::ProcessRoot(int32_t root, FlowCounters& counters) {
  const int32_t label = label_[root];
  int32_t u = root;
  next_scan_[u] = first_child_[u];
  for (bool reached = true;;) {
    if (reached) {
      const uint32_t a = MergerArc(u, counters);
      if (a != kNoArc) return Merge(root, u, a);
    }
    int32_t child = next_scan_[u];
    while (child != kNone && label_[child] != label) child = next_sibling_[child];
    if (child != kNone) {
      next_scan_[u] = next_sibling_[child];
      u = child;
      next_scan_[u] = first_child_[u];
      reached = true;
      continue;
    }
    if (!Relabel(u, root, counters)) return;
    if (u == root) return AddStrongRoot(root);
    u = Parent(u);
    reached = false;
  }
}

template <class Cap>
uint32_t Pseudoflow<Cap>::MergerArc(int32_t u, FlowCounters& counters) {
  const auto* arcs = network_.arcs();
  const int32_t wanted = label_[u] - 1;
  const uint32_t first = current_[u], end = network_.end(u);
  uint32_t a = first;
  while (a < end && (arcs[a].residual == 0 || label_[arcs[a].head()] != wanted)) ++a;
  counters.arc_scans += a - first + (a < end);
  current_[u] = a;
  return a < end ? a : kNoArc;
}

template <class Cap>
bool Pseudoflow<Cap>::Relabel(int32_t u, int32_t root, FlowCounters& counters) {
  const int32_t old = label_[u];
  ++counters.phases;
  --count_[old];
  label_[u] = old + 1;
  current_[u] = network_.begin(u);
  if (count_[old] > 0 && old + 1 < n_) {
    ++count_[old + 1];
    return true;
  }
  // Nothing at `old` any more (the root, which relabels last, was the last
  // there), so no tree above it can reach a deficit; or u would pass n - 1,
  // which no node that can reach one does.
  label_[u] = old;  // counted out above
  ++count_[old];
  for (int32_t d = old + 1; d <= top_; ++d) {
    for (int32_t other = roots_[d]; other != kNone; other = next_root_[other]) EndTree(other);
    roots_[d] = kNone;
  }
  EndTree(root);
  top_ = std::min(top_, old - 1);
  return false;
}

template <class Cap>
void Pseudoflow<Cap>::EndTree(int32_t root) {
  for (int32_t u = root;;) {
    --count_[label_[u]];
    label_[u] = n_;
    if (first_child_[u] != kNone) {
      u = first_child_[u];
      continue;
    }
    while (u != root && next_sibling_[u] == kNone) u = Parent(u);
    if (u == root) return;
    u = next_sibling_[u];
  }
}

template <class Cap>
void Pseudoflow<Cap>::Merge(int32_t root, int32_t v, uint32_t a) {
  const auto* arcs = network_.arcs();
  const uint32_t* partner = network_.partners();
  // Along v's path up to the root each node becomes its old parent's parent.
  uint32_t up = a;
  for (int32_t x = v;;) {
    const uint32_t old = parent_arc_[x];
    if (old != kNoArc) RemoveChild(arcs[old].head(), x);
    parent_arc_[x] = up;
    AddChild(arcs[up].head(), x);
    if (old == kNoArc) break;
    up = partner[old];
    x = arcs[old].head();
  }
  const int64_t excess = excess_[root];
  excess_[root] = 0;
  PushExcess(root, excess);
}

template <class Cap>
void Pseudoflow<Cap>::PushExcess(int32_t from, int64_t excess) {
  const auto* arcs = network_.arcs();
  for (int32_t x = from;;) {
    const uint32_t a = parent_arc_[x];
    if (a == kNoArc) {
      const bool strong = excess_[x] > 0;
      excess_[x] += excess;
      if (!strong && excess_[x] > 0) AddStrongRoot(x);
      return;
    }
    const int32_t parent = arcs[a].head();
    const Cap room = arcs[a].residual;
    if (int64_t(room) >= excess) {
      if (excess > 0) network_.Push(a, Cap(excess));
      x = parent;
      continue;
    }
    // Too narrow: x's subtree becomes a strong tree with what cannot pass.
    if (room > 0) network_.Push(a, room);
    RemoveChild(parent, x);
    parent_arc_[x] = kNoArc;
    excess_[x] = excess - int64_t(room);
    AddStrongRoot(x);
    excess = int64_t(room);
    if (excess == 0) return;
    x = parent;
  }
}

template <class Cap>
void Pseudoflow<Cap>::AddChild(int32_t parent, int32_t child) {
  next_sibling_[child] = first_child_[parent];
  previous_sibling_[child] = kNone;
  if (first_child_[parent] != kNone) previous_sibling_[first_child_[parent]] = child;
  first_child_[parent] = child;
}

template <class Cap>
void Pseudoflow<Cap>::RemoveChild(int32_t parent, int32_t child) {
  if (previous_sibling_[child] != kNone)
    next_sibling_[previous_sibling_[child]] = next_sibling_[child];
  else
    first_child_[parent] = next_sibling_[child];
  if (next_sibling_[child] != kNone)
    previous_sibling_[next_sibling_[child]] = previous_sibling_[child];
}

template <class Cap>
void Pseudoflow<Cap>::AddStrongRoot(int32_t u) {
  const int32_t label = label_[u];
  next_root_[u] = roots_[label];
  roots_[label] = u;
  top_ = std::max(top_, label);
}

template <class Cap>
void Pseudoflow<Cap>::FindCut() {
  const int32_t source = network_.source(), sink = network_.sink();
  const auto* arcs = network_.arcs();
  int32_t* queue = next_scan_.data();
  size_t tail = 0;
  std::fill(label_.begin(), label_.end(), kCutOff);
  for (int32_t u = 0; u < n_; ++u)
    if (u != source && u != sink && excess_[u] < 0) label_[u] = 0, queue[tail++] = u;
  for (size_t next = 0; next < tail; ++next) {
    const int32_t v = queue[next];
    for (uint32_t a = network_.begin(v); a < network_.end(v); ++a) {
      const int32_t h = arcs[a].head();
      if (label_[h] != kCutOff || h == source || h == sink || !arcs[a].reverse_open()) continue;
      label_[h] = 0;
      queue[tail++] = h;
    }
  }
  label_[sink] = 0;
}

template <class Cap>
void Pseudoflow<Cap>::MakeFlow() {
  ReturnExcess(network_, excess_.data(), true, label_.data(), next_scan_.data(), current_.data());
  ReturnExcess(network_, excess_.data(), false, label_.data(), next_scan_.data(), current_.data());
}

template class Pseudoflow<uint32_t>;
template class Pseudoflow<int64_t>;

}  // namespace fast::internal
