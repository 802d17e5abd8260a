#include "flow_push_relabel.h"

#include <algorithm>

namespace fast::internal {

namespace {
constexpr int32_t kNoNode = -1;
}  // namespace

PushRelabel::PushRelabel(ResidualNetwork& network, FlowCounters& counters, CancelPoll& cancel)
    : network_(network),
      counters_(counters),
      n_(network.nodes()),
      label_(size_t(n_)),
      excess_(size_t(n_), 0),
      current_(size_t(n_)),
      active_(size_t(n_)),
      bucket_(size_t(n_), kNoNode),
      next_(size_t(n_)),
      previous_(size_t(n_)),
      global_period_(int64_t(n_) + network.arc_count()),
      cancel_(cancel) {}

int64_t PushRelabel::Run() {
  const int32_t source = network_.source();
  for (uint32_t a = network_.begin(source); a < network_.end(source); ++a) {
    if (!network_.open(a)) continue;
    network_.Push(a);
    --excess_[source];
    if (++excess_[network_.head(a)] == 1) Activate(network_.head(a));
  }
  counters_.arc_scans += network_.end(source) - network_.begin(source);
  GlobalRelabel();
  while (active_count_ > 0) {
    const int32_t u = active_[active_head_];
    active_head_ = active_head_ + 1 == active_.size() ? 0 : active_head_ + 1;
    --active_count_;
    Discharge(u);
    if (work_since_global_ > global_period_) {
      if (cancel_()) return 0;
      GlobalRelabel();
    }
  }
  return excess_[network_.sink()];
}

void PushRelabel::Activate(int32_t u) {
  if (u == network_.sink() || u == network_.source()) return;
  size_t tail = active_head_ + active_count_;
  active_[tail >= active_.size() ? tail - active_.size() : tail] = u;
  ++active_count_;
}

void PushRelabel::GlobalRelabel() {
  ++counters_.phases;
  work_since_global_ = 0;
  std::fill(label_.begin(), label_.end(), 2 * n_);
  std::fill(bucket_.begin(), bucket_.end(), kNoNode);
  top_ = 0;
  LabelFrom(network_.sink(), 0);
  LabelFrom(network_.source(), n_);
  for (int32_t u = 0; u < n_; ++u) {
    current_[u] = network_.begin(u);
    if (label_[u] < n_ && u != network_.sink()) BucketInsert(u);
  }
}

void PushRelabel::LabelFrom(int32_t root, int32_t base) {
  label_[root] = base;
  queue_.assign(1, root);
  for (size_t next = 0; next < queue_.size(); ++next) {
    const int32_t v = queue_[next];
    const uint32_t end = network_.end(v);
    counters_.arc_scans += end - network_.begin(v);
    for (uint32_t a = network_.begin(v); a < end; ++a) {
      const uint32_t word = network_.word(a);
      if ((word & ResidualNetwork::kOpen) != 0 || label_[word] != 2 * n_) continue;
      label_[word] = label_[v] + 1;
      queue_.push_back(int32_t(word));
    }
  }
}

void PushRelabel::Discharge(int32_t u) {
  while (excess_[u] > 0) {
    const uint32_t a =
        network_.NextAdmissible(u, current_[u], label_.data(), label_[u] - 1, &counters_.arc_scans);
    current_[u] = a;
    if (a == network_.end(u)) {
      Relabel(u);
      continue;
    }
    const int32_t h = network_.head(a);
    network_.Push(a);
    --excess_[u];
    if (++excess_[h] == 1) Activate(h);
  }
}

void PushRelabel::Relabel(int32_t u) {
  const int32_t old = label_[u];
  int32_t lowest = 2 * n_ - 1;
  uint32_t best = network_.end(u);
  for (uint32_t a = network_.begin(u); a < network_.end(u); ++a) {
    if (network_.open(a) && label_[network_.head(a)] < lowest) {
      lowest = label_[network_.head(a)];
      best = a;
    }
  }
  const int64_t scanned = network_.end(u) - network_.begin(u);
  counters_.arc_scans += scanned;
  work_since_global_ += scanned + 12;
  if (old < n_) BucketRemove(u);
  label_[u] = lowest + 1;
  current_[u] = best;
  if (label_[u] < n_) BucketInsert(u);
  if (old < n_ && bucket_[old] == kNoNode) Gap(old);
}

void PushRelabel::BucketInsert(int32_t u) {
  const int32_t d = label_[u];
  next_[u] = bucket_[d];
  previous_[u] = kNoNode;
  if (bucket_[d] != kNoNode) previous_[bucket_[d]] = u;
  bucket_[d] = u;
  top_ = std::max(top_, d);
}

void PushRelabel::BucketRemove(int32_t u) {
  if (previous_[u] != kNoNode)
    next_[previous_[u]] = next_[u];
  else
    bucket_[label_[u]] = next_[u];
  if (next_[u] != kNoNode) previous_[next_[u]] = previous_[u];
}

void PushRelabel::Gap(int32_t empty_label) {
  for (int32_t d = empty_label + 1; d <= top_; ++d) {
    for (int32_t v = bucket_[d]; v != kNoNode; v = next_[v]) {
      label_[v] = n_;
      current_[v] = network_.begin(v);
    }
    bucket_[d] = kNoNode;
  }
  top_ = empty_label - 1;
}

}  // namespace fast::internal
