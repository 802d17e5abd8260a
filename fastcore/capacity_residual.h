// The residual network the capacitated max-flow solvers work on.
#pragma once

#include <cstdint>
#include <vector>

#include "cancel_poll.h"
#include "max_flow.h"
#include "paired_arcs.h"

namespace fast::internal {

// Compressed residual arcs. Each input arc that can carry flow from the
// source to the sink becomes a pair of residual arcs: the forward one in its
// tail's list, starting with the arc's capacity, and the backward one in its
// head's list, starting at 0. Self-loops, arcs of capacity 0, arcs into the
// source and arcs out of the sink are left out: a maximum flow never needs
// them, and none of them leaves the source side of a cut with capacity.
//
// `Cap` holds a residual capacity: uint32_t when every capacity fits in it
// (half the memory of the arcs), int64_t otherwise.
//
// Invariants: node u's residual arcs are [first[u], first[u + 1]); the two
// arcs of a pair are each other's `partner`; the residual capacities of a
// pair add up to the input arc's capacity, and the backward one is the flow
// the arc carries; an arc's word holds its head and, in kReverseOpen,
// whether its partner has capacity left (so that a search from the sink
// tells which arcs lead into a node without touching their partners).
template <class Cap>
class CapacityResidual {
 public:
  static constexpr uint32_t kReverseOpen = uint32_t{1} << 31;
  struct Arc {
    uint32_t word;  // the head, with kReverseOpen
    Cap residual;
    int32_t head() const { return int32_t(word & ~kReverseOpen); }
    bool reverse_open() const { return (word & kReverseOpen) != 0; }
  };

  // Builds the arrays by a counting pass and a scatter; throws std::bad_alloc.
  explicit CapacityResidual(const FlowNetwork& network);

  int32_t nodes() const { return nodes_; }
  int32_t source() const { return source_; }
  int32_t sink() const { return sink_; }
  uint32_t begin(int32_t u) const { return first_[u]; }
  uint32_t end(int32_t u) const { return first_[u + 1]; }
  uint32_t arc_count() const { return first_[nodes_]; }
  Arc* arcs() { return arcs_.data(); }
  const Arc* arcs() const { return arcs_.data(); }
  const uint32_t* partners() const { return partner_.data(); }

  // Sends `delta` > 0 along arc a, whose residual capacity is at least delta.
  void Push(uint32_t a, Cap delta) {
    Arc& forward = arcs_[a];
    Arc& backward = arcs_[partner_[a]];
    forward.residual -= delta;
    forward.word |= kReverseOpen;
    backward.residual += delta;
    if (forward.residual == 0) backward.word &= ~kReverseOpen;
  }

  // The flow on every input arc of `network` (the one built from), in input
  // order: the scatter of the constructor replayed with one cursor per node.
  void ArcFlows(const FlowNetwork& network, std::vector<int64_t>* flows) const;

  // True when input arc i of `network` has a residual pair.
  static bool Kept(const FlowNetwork& network, int64_t i) {
    const int32_t t = network.tails[i], h = network.heads[i];
    return t != h && network.capacity(i) > 0 && h != network.source && t != network.sink;
  }

 private:
  int32_t nodes_;
  int32_t source_;
  int32_t sink_;
  std::vector<uint32_t> first_;    // nodes + 1 entries
  std::vector<Arc> arcs_;          // by tail, in input order within a tail
  std::vector<uint32_t> partner_;  // the other arc of the pair
};

template <class Cap>
CapacityResidual<Cap>::CapacityResidual(const FlowNetwork& network)
    : nodes_(network.nodes),
      source_(network.source),
      sink_(network.sink),
      first_(size_t(network.nodes) + 1, 0) {
  const int32_t* tails = network.tails;
  const int32_t* heads = network.heads;
  LayPairedArcs(
      nodes_, tails, heads, network.arcs, [&](int64_t i) { return Kept(network, i); }, &first_,
      &partner_, [&](uint32_t total) { arcs_.resize(total); },
      [&](int64_t i, uint32_t out, uint32_t in) {
        arcs_[out] = Arc{uint32_t(heads[i]), Cap(network.capacity(i))};
        arcs_[in] = Arc{uint32_t(tails[i]) | kReverseOpen, 0};
      });
}

template <class Cap>
void CapacityResidual<Cap>::ArcFlows(const FlowNetwork& network,
                                     std::vector<int64_t>* flows) const {
  flows->assign(size_t(network.arcs), 0);
  std::vector<uint32_t> next(first_.begin(), first_.end() - 1);
  for (int64_t i = 0; i < network.arcs; ++i) {
    if (!Kept(network, i)) continue;
    ++next[network.tails[i]];
    (*flows)[i] = int64_t(arcs_[next[network.heads[i]]++].residual);
  }
}

}  // namespace fast::internal
