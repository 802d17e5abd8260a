#include "flow_boykov_kolmogorov.h"

#include <algorithm>

namespace fast::internal {

template <class Cap>
BoykovKolmogorov<Cap>::BoykovKolmogorov(CapacityResidual<Cap>& network)
    : network_(network),
      n_(network.nodes()),
      tree_(size_t(n_), kFree),
      parent_(size_t(n_), kOrphan),
      distance_(size_t(n_), 0),
      stamp_(size_t(n_), 0),
      next_active_(size_t(n_), kNotQueued),
      orphans_(size_t(n_)) {}

template <class Cap>
int64_t BoykovKolmogorov<Cap>::Run(FlowCounters& counters, CancelPoll& cancel) {
  for (int32_t terminal : {network_.source(), network_.sink()}) {
    tree_[terminal] = terminal == network_.source() ? kSourceTree : kSinkTree;
    parent_[terminal] = kRoot;
    Activate(terminal);
  }
  int64_t value = 0;
  // The flag is looked at once per active node, whose growth is the unit
  // of work here.
  for (int32_t u; !cancel() && (u = NextActive()) != kLast;) {
    // u is grown to the end of its arcs, augmenting on the way; `from` keeps
    // the place across augmentations, which leave u in its tree or not.
    for (uint32_t from = network_.begin(u); tree_[u] != kFree;) {
      const uint32_t a = Grow(u, from, counters);
      if (a == kRoot) break;
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
  // Every node taken into the tree reads its partner arc: its load starts
  // with the scan rather than at the first node taken.
  __builtin_prefetch(partner + from);
  for (uint32_t a = from; a < end; ++a) {
    // The source's tree grows along arcs with capacity left, the sink's
    // against them.
    if (out ? arcs[a].residual == 0 : !arcs[a].reverse_open()) continue;
    const int32_t q = arcs[a].head();
    if (tree_[q] == kFree) {
      tree_[q] = tree_[u];
      parent_[q] = partner[a];
      distance_[q] = distance_[u] + 1;
      stamp_[q] = stamp_[u];
      Activate(q);
    } else if (tree_[q] != tree_[u]) {
      counters.arc_scans += a - from + 1;
      return a;
    }
  }
  counters.arc_scans += end - from;
  return kRoot;
}

template <class Cap>
Cap BoykovKolmogorov<Cap>::TreeBottleneck(int32_t u, Cap limit) const {
  const auto* arcs = network_.arcs();
  const uint32_t* partner = network_.partners();
  const bool out = tree_[u] == kSourceTree;
  for (uint32_t p; (p = parent_[u]) != kRoot; u = arcs[p].head())
    limit = std::min(limit, arcs[out ? partner[p] : p].residual);
  return limit;
}

template <class Cap>
void BoykovKolmogorov<Cap>::PushAlongTree(int32_t u, Cap delta) {
  const auto* arcs = network_.arcs();
  const uint32_t* partner = network_.partners();
  const bool out = tree_[u] == kSourceTree;
  for (uint32_t p; (p = parent_[u]) != kRoot;) {
    const uint32_t a = out ? partner[p] : p;
    network_.Push(a, out ? p : partner[p], delta);
    const int32_t next = arcs[p].head();
    if (arcs[a].residual == 0) Orphan(u);
    u = next;
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
  parent_[u] = kOrphan;
  size_t tail = orphan_head_ + orphan_count_++;
  orphans_[tail >= orphans_.size() ? tail - orphans_.size() : tail] = u;
}

template <class Cap>
int32_t BoykovKolmogorov<Cap>::DistanceToTerminal(int32_t u) {
  const auto* arcs = network_.arcs();
  int32_t d = 0;
  int32_t v = u;
  for (;; ++d) {
    if (stamp_[v] == round_) {
      d += distance_[v];
      break;
    }
    const uint32_t p = parent_[v];
    if (p == kRoot) break;
    if (p == kOrphan) return -1;
    v = arcs[p].head();
  }
  for (int32_t k = d; stamp_[u] != round_ && parent_[u] != kRoot;
       --k, u = arcs[parent_[u]].head()) {
    stamp_[u] = round_;
    distance_[u] = k;
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
    uint32_t best = kRoot;
    int32_t closest = INT32_MAX;
    for (uint32_t a = begin; a < end; ++a) {
      const int32_t q = arcs[a].head();
      if (tree_[q] != tree_[p] || (out ? !arcs[a].reverse_open() : arcs[a].residual == 0)) continue;
      const int32_t d = DistanceToTerminal(q);
      if (d >= 0 && d < closest) best = a, closest = d;
    }
    if (best != kRoot) {
      parent_[p] = best;
      distance_[p] = closest + 1;
      stamp_[p] = round_;
      continue;
    }
    for (uint32_t a = begin; a < end; ++a) {
      const int32_t q = arcs[a].head();
      if (tree_[q] != tree_[p]) continue;
      const uint32_t up = parent_[q];
      if (up != kRoot && up != kOrphan && arcs[up].head() == p) Orphan(q);
      if (out ? arcs[a].reverse_open() : arcs[a].residual != 0) Activate(q);
    }
    tree_[p] = kFree;
  }
}

template class BoykovKolmogorov<uint32_t>;
template class BoykovKolmogorov<int64_t>;

}  // namespace fast::internal
