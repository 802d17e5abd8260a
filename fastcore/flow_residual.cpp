#include "flow_residual.h"

namespace fast::internal {

ResidualNetwork::ResidualNetwork(const UnitNetwork& network)
    : nodes_(network.nodes),
      source_(network.source),
      sink_(network.sink),
      first_(size_t(network.nodes) + 1, 0),
      forward_(size_t(network.arcs), kNone) {
  const int32_t* tails = network.tails;
  const int32_t* heads = network.heads;
  const size_t m = size_t(network.arcs);
  auto kept = [&](size_t i) {
    return tails[i] != heads[i] && heads[i] != source_ && tails[i] != sink_;
  };
  // first_[u + 1] counts u's arcs, then the prefix sums make it u's end.
  for (size_t i = 0; i < m; ++i) {
    if (!kept(i)) continue;
    ++first_[size_t(tails[i]) + 1];
    ++first_[size_t(heads[i]) + 1];
  }
  for (int32_t u = 0; u < nodes_; ++u) first_[u + 1] += first_[u];
  arcs_.resize(first_[nodes_]);
  partner_.resize(first_[nodes_]);
  // Scatter: `next[u]` is where u's next arc goes.
  std::vector<uint32_t> next(first_.begin(), first_.end() - 1);
  for (size_t i = 0; i < m; ++i) {
    if (!kept(i)) continue;
    uint32_t out = next[tails[i]]++;
    uint32_t in = next[heads[i]]++;
    arcs_[out] = uint32_t(heads[i]) | kOpen;
    arcs_[in] = uint32_t(tails[i]);
    partner_[out] = in;
    partner_[in] = out;
    forward_[i] = out;
  }
}

}  // namespace fast::internal
