#include "flow_boykov_kolmogorov.h"

#include <algorithm>

namespace fast::internal {

template <class Cap>
BoykovKolmogorov<Cap>::BoykovKolmogorov(CapacityResidual<Cap>& network)
    : network_(network),
      n_(network.nodes()),
      tree_(size_t(n_), kFree),
      node_(size_t(n_), Node{kNoArc, kOrphan, 0, 0}),
      next_active_(size_t(n_), kNotQueued),
      orphans_(size_t(n_)) {}

template <class Cap>
int64_t BoykovKolmogorov<Cap>::Run(FlowCounters& counters, CancelPoll& cancel) {
  for (int32_t terminal : {network_.source(), network_.sink()}) {
    tree_[terminal] = terminal == network_.source() ? kSourceTree : kSinkTree;
    node_[terminal].parent = kRoot;
    Activate(terminal);
  }
  int64_t value = 0;
  // The flag is looked at once per active node, whose growth is the unit
  // of work here.
  for (int32_t u; !cancel() && (u = NextActive()) != kLast;) {
    // The queue's order is the trees', not memory's: the next node's arcs
    // start loading while u grows.
    if (first_active_ != kLast) __builtin_prefetch(network_.arcs() + network_.begin(first_active_));
    // u is grown to the end of its arcs, augmenting on the way; `from` keeps
    // the place across augmentations, which leave u in its tree or not.
    for (uint32_t from = network_.begin(u); tree_[u] != kFree;) {
      const uint32_t a = Grow(u, from, counters);
      if (a == kNoArc) break;
      from = a;
      const bool out = tree_[u] == kSourceTree;
      value += int64_t(Augment(out ? a : network_.partners()[a]));
      ++counters.phases;
      Adopt(counters);
    }
  }
  return value;
}

template <class Cap>
void BoykovKolmogorov<Cap>::Activate(int32_t u) {
  if (next_active_[u] != kNotQueued) return;
  next_active_[u] = kLast;
  if (last_active_ == kLast)
    first_active_ = u;
  else
    next_active_[last_active_] = u;
  last_active_ = u;
}

template <class Cap>
int32_t BoykovKolmogorov<Cap>::NextActive() {
  while (first_active_ != kLast) {
    const int32_t u = first_active_;
    first_active_ = next_active_[u];
    if (first_active_ == kLast) last_active_ = kLast;
    next_active_[u] = kNotQueued;
    if (tree_[u] != kFree) return u;
  }
  return kLast;
}

template <class Cap>
uint32_t BoykovKolmogorov<Cap>::Grow(int32_t u, uint32_t from, FlowCounters& counters) {
  const auto* arcs = network_.arcs();
  const uint32_t* partner = network_.partners();
  const bool out = tree_[u] == kSourceTree;
  const uint32_t end = network_.end(u);
  // Every node the sink's tree takes reads its partner arc: its load starts
  // with the scan rather than at the first node taken.
  if (!out) __builtin_prefetch(partner + from);
  for (uint32_t a = from; a < end; ++a) {
    // The source's tree grows along arcs with capacity left, the sink's
    // against them.
    if (out ? arcs[a].residual == 0 : !arcs[a].reverse_open()) continue;
    const int32_t q = arcs[a].head();
    if (tree_[q] == kFree) {
      tree_[q] = tree_[u];
      node_[q] = Node{out ? a : partner[a], u, node_[u].distance + 1, node_[u].stamp};
      Activate(q);
    } else if (tree_[q] != tree_[u]) {
      counters.arc_scans += a - from + 1;
      return a;
    }
  }
  counters.arc_scans += end - from;
  return kNoArc;
}

template <class Cap>
Cap BoykovKolmogorov<Cap>::TreeBottleneck(int32_t u, Cap limit) const {
  const auto* arcs = network_.arcs();
  for (; node_[u].parent != kRoot; u = node_[u].parent)
    limit = std::min(limit, arcs[node_[u].arc].residual);
  return limit;
}

template <class Cap>
void BoykovKolmogorov<Cap>::PushAlongTree(int32_t u, Cap delta) {
  const auto* arcs = network_.arcs();
  for (int32_t p; (p = node_[u].parent) != kRoot; u = p) {
    const uint32_t a = node_[u].arc;
    network_.Push(a, delta);
    if (arcs[a].residual == 0) Orphan(u);
  }
}

template <class Cap>
Cap BoykovKolmogorov<Cap>::Augment(uint32_t a) {
  const auto* arcs = network_.arcs();
  const int32_t head = arcs[a].head(), tail = arcs[network_.partners()[a]].head();
  const Cap delta = TreeBottleneck(head, TreeBottleneck(tail, arcs[a].residual));
  network_.Push(a, delta);
  PushAlongTree(tail, delta);
  PushAlongTree(head, delta);
  return delta;
}

template <class Cap>
void BoykovKolmogorov<Cap>::Orphan(int32_t u) {
  node_[u].parent = kOrphan;
  size_t tail = orphan_head_ + orphan_count_++;
  orphans_[tail >= orphans_.size() ? tail - orphans_.size() : tail] = u;
}

template <class Cap>
int32_t BoykovKolmogorov<Cap>::DistanceToTerminal(int32_t u) {
  int32_t d = 0;
  for (int32_t v = u;; ++d) {
    if (node_[v].stamp == round_) {
      d += node_[v].distance;
      break;
    }
    const int32_t p = node_[v].parent;
    if (p == kRoot) break;
    if (p == kOrphan) return -1;
    v = p;
  }
  for (int32_t k = d; node_[u].stamp != round_ && node_[u].parent != kRoot;
       --k, u = node_[u].parent) {
    node_[u].stamp = round_;
    node_[u].distance = k;
  }
  return d;
}

template <class Cap>
void BoykovKolmogorov<Cap>::Adopt(FlowCounters& counters) {
  const auto* arcs = network_.arcs();
  ++round_;
  while (orphan_count_ > 0) {
    const int32_t p = orphans_[orphan_head_];
    orphan_head_ = orphan_head_ + 1 == orphans_.size() ? 0 : orphan_head_ + 1;
    --orphan_count_;
    const bool out = tree_[p] == kSourceTree;
    const uint32_t begin = network_.begin(p), end = network_.end(p);
    counters.arc_scans += end - begin;
    // A new parent: a neighbour in p's tree that can send to p (or take
    // from it, in the sink's tree) and whose path to the terminal is intact,
    // the closest one.
    uint32_t best = kNoArc;
    int32_t closest = INT32_MAX;
    for (uint32_t a = begin; a < end; ++a) {
      const int32_t q = arcs[a].head();
      if (tree_[q] != tree_[p] || (out ? !arcs[a].reverse_open() : arcs[a].residual == 0)) continue;
      const int32_t d = DistanceToTerminal(q);
      if (d >= 0 && d < closest) best = a, closest = d;
    }
    if (best != kNoArc) {
      const uint32_t arc = out ? network_.partners()[best] : best;
      node_[p] = Node{arc, arcs[best].head(), closest + 1, round_};
      continue;
    }
    for (uint32_t a = begin; a < end; ++a) {
      const int32_t q = arcs[a].head();
      if (tree_[q] != tree_[p]) continue;
      if (node_[q].parent == p) Orphan(q);
      if (out ? arcs[a].reverse_open() : arcs[a].residual != 0) Activate(q);
    }
    tree_[p] = kFree;
  }
}

template class BoykovKolmogorov<uint32_t>;
template class BoykovKolmogorov<int64_t>;

}  // namespace fast::internal
