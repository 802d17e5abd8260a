#include "flow_capacity_push_relabel.h"

#include <algorithm>

#include "flow_excess_return.h"

namespace fast::internal {

template <class Cap, bool kHighestLabel, int kPathArcs>
CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::CapacityPushRelabel(
    CapacityResidual<Cap>& network)
    : network_(network),
      n_(network.nodes()),
      label_(size_t(n_), n_),
      excess_(size_t(n_), 0),
      current_(size_t(n_)),
      buckets_(size_t(n_) + 1),
      next_(size_t(n_)),
      previous_(size_t(n_)),
      queue_(size_t(n_)),
      path_(size_t(kPathArcs)),
      path_nodes_(size_t(kPathArcs) + 1),
      ring_(kHighestLabel ? 0 : size_t(n_)) {
  // A global relabelling costs a pass over the arcs; after relabelling work
  // of about that pass again, the labels have usually drifted far enough
  // from the distances to pay for another. Half that period cost 5 to 30%
  // more time on RMF and random level graphs (docs/fastflow.md).
  global_period_ = 6 * int64_t(n_) + network.arc_count();
}

template <class Cap, bool kHighestLabel, int kPathArcs>
int64_t CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::Run(FlowCounters& counters,
                                                                CancelPoll& cancel, int64_t value) {
  excess_[network_.sink()] = value;
  SaturateSourceArcs(counters);
  // The global relabellings are the phases, where the flag is looked at.
  if (cancel()) return 0;
  GlobalRelabel(counters);
  for (;;) {
    int32_t u;
    if constexpr (kHighestLabel) {
      while (top_active_ >= 0 && buckets_[top_active_].active == kNone) --top_active_;
      if (top_active_ < 0) break;
      u = buckets_[top_active_].active;
      buckets_[top_active_].active = next_[u];
    } else {
      if (ring_count_ == 0) break;
      u = ring_[ring_head_];
      ring_head_ = ring_head_ + 1 == ring_.size() ? 0 : ring_head_ + 1;
      --ring_count_;
      if (label_[u] >= n_) continue;  // lifted by a gap while waiting
    }
    if constexpr (kPathArcs > 0)
      AugmentRelabel(u, counters);
    else
      Discharge(u, counters);
    if (work_since_global_ <= global_period_) continue;
    if (cancel()) break;
    GlobalRelabel(counters);
  }
  return excess_[network_.sink()];
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::SaturateSourceArcs(
    FlowCounters& counters) {
  const int32_t s = network_.source();
  auto* arcs = network_.arcs();
  // The source's list holds forward arcs only: arcs into it are left out.
  for (uint32_t a = network_.begin(s); a < network_.end(s); ++a) {
    const Cap delta = arcs[a].residual;
    network_.Push(a, delta);
    excess_[arcs[a].head()] += int64_t(delta);
    excess_[s] -= int64_t(delta);
  }
  counters.arc_scans += network_.end(s) - network_.begin(s);
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::GlobalRelabel(FlowCounters& counters) {
  ++counters.phases;
  work_since_global_ = 0;
  std::fill(buckets_.begin(), buckets_.begin() + top_ + 1, Bucket{});
  std::fill(label_.begin(), label_.end(), n_);
  const int32_t source = network_.source(), sink = network_.sink();
  const auto* arcs = network_.arcs();
  label_[sink] = 0;
  queue_[0] = sink;
  size_t tail = 1;
  ring_head_ = ring_count_ = 0;
  for (size_t next = 0; next < tail; ++next) {
    const int32_t v = queue_[next];
    const int32_t d = label_[v] + 1;
    const uint32_t end = network_.end(v);
    counters.arc_scans += end - network_.begin(v);
    for (uint32_t a = network_.begin(v); a < end; ++a) {
      // The partner of a runs into v, open when a is marked so.
      if (!arcs[a].reverse_open()) continue;
      const int32_t h = arcs[a].head();
      if (label_[h] != n_ || h == source) continue;
      label_[h] = d;
      current_[h] = network_.begin(h);
      queue_[tail++] = h;
      if (kHighestLabel && excess_[h] > 0)
        AddActive(h);
      else
        AddInactive(h);
      if (!kHighestLabel && excess_[h] > 0) AddActive(h);
    }
  }
  top_ = label_[queue_[tail - 1]];
  top_active_ = top_;
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::Discharge(int32_t u,
                                                                   FlowCounters& counters) {
  auto* arcs = network_.arcs();
  const int32_t sink = network_.sink();
  int64_t e = excess_[u];
  for (;;) {
    const int32_t wanted = label_[u] - 1;
    const uint32_t first = current_[u], end = network_.end(u);
    uint32_t a = first;
    for (; a < end; ++a) {
      const Cap r = arcs[a].residual;
      const int32_t h = arcs[a].head();
      if (r == 0 || label_[h] != wanted) continue;
      const Cap delta = int64_t(r) < e ? r : Cap(e);
      network_.Push(a, delta);
      if (excess_[h] == 0 && h != sink) Activate(h);
      excess_[h] += int64_t(delta);
      e -= int64_t(delta);
      if (e == 0) break;
    }
    counters.arc_scans += a - first + (a < end);
    excess_[u] = e;
    if (e == 0) {
      current_[u] = a;
      if (kHighestLabel) AddInactive(u);
      return;
    }
    if (!Relabel(u, !kHighestLabel, counters)) return;
    top_active_ = std::max(top_active_, label_[u]);
  }
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::AugmentRelabel(int32_t v,
                                                                        FlowCounters& counters) {
  auto* arcs = network_.arcs();
  const int32_t sink = network_.sink();
  int64_t e = excess_[v];
  int length = 0;
  path_nodes_[0] = v;
  for (;;) {
    const int32_t w = path_nodes_[length];
    const int32_t wanted = label_[w] - 1;
    const uint32_t first = current_[w], end = network_.end(w);
    uint32_t a = first;
    // The label first: fewer arcs lead one label down than have capacity
    // left (2 to 6% less time on RMF and random level graphs).
    while (a < end && !(label_[arcs[a].head()] == wanted && arcs[a].residual != 0)) ++a;
    counters.arc_scans += a - first + (a < end);
    current_[w] = a;
    if (a < end) {
      path_[length++] = a;
      // The push will write the partner, in the head's list but rarely near
      // its current arc: fetched now, it comes while the path grows.
      __builtin_prefetch(&arcs[network_.partners()[a]], 1);
      const int32_t x = arcs[a].head();
      path_nodes_[length] = x;
      if (length < kPathArcs && x != sink && excess_[x] == 0) continue;
      int64_t delta = e;
      for (int i = 0; i < length; ++i) delta = std::min(delta, int64_t(arcs[path_[i]].residual));
      for (int i = 0; i < length; ++i) network_.Push(path_[i], Cap(delta));
      counters.arc_scans += length;
      if (excess_[x] == 0 && x != sink) Activate(x);
      excess_[x] += delta;
      e -= delta;
      if (e == 0) {
        excess_[v] = 0;
        AddInactive(v);
        return;
      }
      // Excess is left, so an arc was the bottleneck and is now saturated;
      // the path stays up to the first such arc, which its tail passes.
      length = 0;
      while (arcs[path_[length]].residual != 0) ++length;
      ++current_[path_nodes_[length]];
      continue;
    }
    if (length == 0) {
      if (!Relabel(v, false, counters)) {
        excess_[v] = e;
        return;
      }
      top_active_ = std::max(top_active_, label_[v]);
      continue;
    }
    // A gap at w's old label lifts every node above it, v among them (v is
    // in no list); w going to n alone leaves the labels in use, v's too.
    if (!Relabel(w, true, counters) && top_ < label_[v]) {
      label_[v] = n_;
      excess_[v] = e;
      return;
    }
    // The arc into w is no longer admissible: w is at least as high as its tail.
    --length;
    ++current_[path_nodes_[length]];
  }
}

template <class Cap, bool kHighestLabel, int kPathArcs>
bool CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::Relabel(int32_t u, bool listed,
                                                                 FlowCounters& counters) {
  const int32_t old = label_[u];
  if (listed) RemoveInactive(u);
  if (buckets_[old].active == kNone && buckets_[old].inactive == kNone) {
    // u was the last node at its label: nothing above can reach the sink.
    Gap(old);
    label_[u] = n_;
    return false;
  }
  const auto* arcs = network_.arcs();
  int32_t lowest = n_;
  uint32_t best = network_.end(u);
  for (uint32_t a = network_.begin(u); a < network_.end(u); ++a) {
    if (arcs[a].residual != 0 && label_[arcs[a].head()] < lowest) {
      lowest = label_[arcs[a].head()];
      best = a;
    }
  }
  const int64_t scanned = network_.end(u) - network_.begin(u);
  counters.arc_scans += scanned;
  work_since_global_ += scanned + 12;
  if (lowest + 1 >= n_) {
    label_[u] = n_;
    return false;
  }
  label_[u] = lowest + 1;
  current_[u] = best;
  if (listed) AddInactive(u);
  top_ = std::max(top_, label_[u]);
  return true;
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::Gap(int32_t empty_label) {
  // Highest label first: no active node is above the one being discharged,
  // so a gap at its own label leaves only inactive ones above; a gap lower
  // on a partial augment-relabel's path may leave active ones too, lifted
  // with the rest. First in, first out: the active ones above stay in the
  // ring and are dropped there.
  for (int32_t d = empty_label + 1; d <= top_; ++d) {
    for (int32_t v = buckets_[d].inactive; v != kNone; v = next_[v]) label_[v] = n_;
    for (int32_t v = buckets_[d].active; v != kNone; v = next_[v]) label_[v] = n_;
    buckets_[d] = Bucket{};
  }
  top_ = empty_label - 1;
  top_active_ = std::min(top_active_, top_);
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::Activate(int32_t u) {
  if (kHighestLabel) RemoveInactive(u);
  AddActive(u);
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::AddActive(int32_t u) {
  if constexpr (kHighestLabel) {
    Bucket& b = buckets_[label_[u]];
    next_[u] = b.active;
    b.active = u;
  } else {
    size_t tail = ring_head_ + ring_count_++;
    ring_[tail >= ring_.size() ? tail - ring_.size() : tail] = u;
  }
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::AddInactive(int32_t u) {
  Bucket& b = buckets_[label_[u]];
  next_[u] = b.inactive;
  previous_[u] = kNone;
  if (b.inactive != kNone) previous_[b.inactive] = u;
  b.inactive = u;
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::RemoveInactive(int32_t u) {
  if (previous_[u] != kNone)
    next_[previous_[u]] = next_[u];
  else
    buckets_[label_[u]].inactive = next_[u];
  if (next_[u] != kNone) previous_[next_[u]] = previous_[u];
}

template <class Cap, bool kHighestLabel, int kPathArcs>
void CapacityPushRelabel<Cap, kHighestLabel, kPathArcs>::MakeFlow() {
  // The excess stranded where the sink is out of reach goes home.
  ReturnExcess(network_, excess_.data(), true, label_.data(), queue_.data(), current_.data());
}

template class CapacityPushRelabel<uint32_t, true>;
template class CapacityPushRelabel<int64_t, true>;
template class CapacityPushRelabel<uint32_t, false>;
template class CapacityPushRelabel<int64_t, false>;
template class CapacityPushRelabel<uint32_t, true, 4>;
template class CapacityPushRelabel<int64_t, true, 4>;

}  // namespace fast::internal
