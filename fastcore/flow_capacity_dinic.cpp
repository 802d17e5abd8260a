#include "flow_capacity_dinic.h"

#include <algorithm>

namespace fast::internal {

template <class Cap>
CapacityDinic<Cap>::CapacityDinic(CapacityResidual<Cap>& network)
    : network_(network),
      distance_(size_t(network.nodes()), kUnlabelled),
      current_(size_t(network.nodes())),
      queue_(size_t(network.nodes())),
      path_(size_t(network.nodes())) {}

template <class Cap>
int64_t CapacityDinic<Cap>::Run(FlowCounters& counters, CancelPoll& cancel) {
  int64_t value = 0;
  while (!cancel() && Phase(counters, &value)) {
  }
  return value;
}

template <class Cap>
bool CapacityDinic<Cap>::Phase(FlowCounters& counters, int64_t* value) {
  if (!Label(counters)) return false;
  *value += Augment(counters);
  return true;
}

template <class Cap>
bool CapacityDinic<Cap>::Label(FlowCounters& counters) {
  ++counters.phases;
  std::fill(distance_.begin(), distance_.end(), kUnlabelled);
  const int32_t source = network_.source();
  const auto* arcs = network_.arcs();
  queue_[0] = network_.sink();
  distance_[network_.sink()] = 0;
  size_t tail = 1;
  for (size_t next = 0; next < tail; ++next) {
    const int32_t v = queue_[next];
    const uint32_t end = network_.end(v);
    counters.arc_scans += end - network_.begin(v);
    for (uint32_t a = network_.begin(v); a < end; ++a) {
      const int32_t h = arcs[a].head();
      if (distance_[h] != kUnlabelled || !arcs[a].reverse_open()) continue;
      distance_[h] = distance_[v] + 1;
      if (h == source) return true;
      queue_[tail++] = h;
    }
  }
  return false;
}

template <class Cap>
Cap CapacityDinic<Cap>::SendAlongPath() {
  const auto* arcs = network_.arcs();
  Cap bottleneck = arcs[current_[path_[0]]].residual;
  for (size_t k = 1; k < path_length_; ++k)
    bottleneck = std::min(bottleneck, arcs[current_[path_[k]]].residual);
  size_t first_saturated = path_length_;
  for (size_t k = 0; k < path_length_; ++k) {
    const uint32_t a = current_[path_[k]];
    network_.Push(a, bottleneck);
    if (arcs[a].residual == 0 && first_saturated == path_length_) first_saturated = k;
  }
  path_length_ = first_saturated;
  return bottleneck;
}

template <class Cap>
int64_t CapacityDinic<Cap>::Augment(FlowCounters& counters) {
  for (int32_t u = 0; u < network_.nodes(); ++u) current_[u] = network_.begin(u);
  const auto* arcs = network_.arcs();
  const int32_t source = network_.source(), sink = network_.sink();
  int64_t sent = 0;
  path_length_ = 0;
  int32_t u = source;
  for (;;) {
    if (u == sink) {
      sent += int64_t(SendAlongPath());
      u = path_[path_length_];
      continue;
    }
    const int32_t wanted = distance_[u] - 1;
    const uint32_t first = current_[u], end = network_.end(u);
    uint32_t a = first;
    while (a < end && (arcs[a].residual == 0 || distance_[arcs[a].head()] != wanted)) ++a;
    counters.arc_scans += a - first + (a < end);
    current_[u] = a;
    if (a < end) {
      path_[path_length_++] = u;
      u = arcs[a].head();
      continue;
    }
    distance_[u] = kUnlabelled;  // a dead end for the rest of the phase
    if (u == source) return sent;
    u = path_[--path_length_];
    ++current_[u];
  }
}

template class CapacityDinic<uint32_t>;
template class CapacityDinic<int64_t>;

}  // namespace fast::internal
