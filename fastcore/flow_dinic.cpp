#include "flow_dinic.h"

#include <algorithm>

namespace fast::internal {

Dinic::Dinic(ResidualNetwork& network, FlowCounters& counters, CancelPoll& cancel)
    : network_(network),
      counters_(counters),
      cancel_(cancel),
      distance_(size_t(network.nodes()), kUnlabelled),
      current_(size_t(network.nodes())) {
  queue_.reserve(size_t(network.nodes()));
}

int64_t Dinic::Run() {
  int64_t value = 0;
  while (!cancel_() && Phase(&value)) {
  }
  return value;
}

bool Dinic::Phase(int64_t* value) {
  if (!Label()) return false;
  *value += Augment();
  return true;
}

bool Dinic::Label() {
  ++counters_.phases;
  std::fill(distance_.begin(), distance_.end(), kUnlabelled);
  const int32_t source = network_.source();
  queue_.clear();
  queue_.push_back(network_.sink());
  distance_[network_.sink()] = 0;
  for (size_t next = 0; next < queue_.size(); ++next) {
    const int32_t v = queue_[next];
    const uint32_t end = network_.end(v);
    counters_.arc_scans += end - network_.begin(v);
    for (uint32_t a = network_.begin(v); a < end; ++a) {
      // The partner of a runs into v; it is open exactly when a is not.
      const uint32_t word = network_.word(a);
      if ((word & ResidualNetwork::kOpen) != 0 || distance_[word] != kUnlabelled) continue;
      distance_[word] = distance_[v] + 1;
      if (int32_t(word) == source) return true;
      queue_.push_back(int32_t(word));
    }
  }
  return false;
}

bool Dinic::Advance(int32_t u) {
  current_[u] = network_.NextAdmissible(u, current_[u], distance_.data(), distance_[u] - 1,
                                        &counters_.arc_scans);
  return current_[u] < network_.end(u);
}

int64_t Dinic::Augment() {
  for (int32_t u = 0; u < network_.nodes(); ++u) current_[u] = network_.begin(u);
  const int32_t source = network_.source(), sink = network_.sink();
  int64_t sent = 0;
  path_arcs_.clear();
  path_nodes_.clear();
  int32_t u = source;
  for (;;) {
    if (u == sink) {
      // Every arc of the path had capacity 1 and is now closed; the current
      // arcs that pointed along it move on when next advanced.
      for (uint32_t a : path_arcs_) network_.Push(a);
      ++sent;
      path_arcs_.clear();
      path_nodes_.clear();
      u = source;
    } else if (Advance(u)) {
      path_arcs_.push_back(current_[u]);
      path_nodes_.push_back(u);
      u = network_.head(current_[u]);
    } else {
      distance_[u] = kUnlabelled;  // a dead end for the rest of the phase
      if (u == source) return sent;
      u = path_nodes_.back();
      path_arcs_.pop_back();
      path_nodes_.pop_back();
      ++current_[u];
    }
  }
}

}  // namespace fast::internal
