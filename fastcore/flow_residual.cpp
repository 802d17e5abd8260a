#include "flow_residual.h"

#include "paired_arcs.h"

namespace fast::internal {

ResidualNetwork::ResidualNetwork(const UnitNetwork& network)
    : nodes_(network.nodes),
      source_(network.source),
      sink_(network.sink),
      first_(size_t(network.nodes) + 1, 0),
      forward_(size_t(network.arcs), kNone) {
  const int32_t* tails = network.tails;
  const int32_t* heads = network.heads;
  auto kept = [&](int64_t i) {
    return tails[i] != heads[i] && heads[i] != source_ && tails[i] != sink_;
  };
  LayPairedArcs(
      nodes_, tails, heads, network.arcs, kept, &first_, &partner_,
      [&](uint32_t total) { arcs_.resize(total); },
      [&](int64_t i, uint32_t out, uint32_t in) {
        arcs_[out] = uint32_t(heads[i]) | kOpen;
        arcs_[in] = uint32_t(tails[i]);
        forward_[i] = out;
      });
}

}  // namespace fast::internal
