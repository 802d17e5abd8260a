// The residual network the unit-flow solvers work on.
#pragma once

#include <cstdint>
#include <vector>

#include "unit_flow.h"

namespace fast::internal {

// Compressed residual arcs. Each input arc that can matter to a flow from
// the source to the sink becomes a pair of residual arcs: the forward one in
// its tail's list and the backward one in its head's list. Self-loops, arcs
// into the source and arcs out of the sink are left out: a maximum flow never
// needs them, and they never leave the source side of a cut.
//
// Invariants: node u's residual arcs are [first[u], first[u + 1]); the two
// arcs of a pair are each other's `partner`; exactly one of them is open
// (has residual capacity 1): the forward arc while the input arc carries no
// flow, the backward arc while it does.
class ResidualNetwork {
 public:
  static constexpr uint32_t kOpen = uint32_t{1} << 31;
  static constexpr uint32_t kNone = ~uint32_t{0};

  // Builds the arrays by a counting pass and a scatter; throws std::bad_alloc.
  explicit ResidualNetwork(const UnitNetwork& network);

  int32_t nodes() const { return nodes_; }
  int32_t source() const { return source_; }
  int32_t sink() const { return sink_; }
  uint32_t begin(int32_t u) const { return first_[u]; }
  uint32_t end(int32_t u) const { return first_[u + 1]; }
  uint32_t arc_count() const { return first_[nodes_]; }

  int32_t head(uint32_t a) const { return int32_t(arcs_[a] & ~kOpen); }
  bool open(uint32_t a) const { return (arcs_[a] & kOpen) != 0; }
  // The head with the open bit, for scans that test both at once.
  uint32_t word(uint32_t a) const { return arcs_[a]; }
  uint32_t partner(uint32_t a) const { return partner_[a]; }

  // Sends a unit along open arc `a`: closes it and opens its partner.
  void Push(uint32_t a) {
    arcs_[a] ^= kOpen;
    arcs_[partner_[a]] ^= kOpen;
  }

  // The first open arc of u at or after `from` whose head's label is
  // `wanted`, or end(u) when there is none; adds the arcs looked at to
  // *scans. The current-arc step of Dinic's augmentation and of
  // push-relabel's discharge.
  uint32_t NextAdmissible(int32_t u, uint32_t from, const int32_t* labels, int32_t wanted,
                          int64_t* scans) const {
    const uint32_t last = end(u);
    uint32_t a = from;
    for (; a < last; ++a)
      if ((arcs_[a] & kOpen) != 0 && labels[arcs_[a] & ~kOpen] == wanted) break;
    *scans += a - from + (a < last);
    return a;
  }

  // Input arc i's forward residual arc, kNone for an arc left out.
  uint32_t forward(int64_t i) const { return forward_[i]; }

 private:
  int32_t nodes_;
  int32_t source_;
  int32_t sink_;
  std::vector<uint32_t> first_;    // nodes + 1 entries
  std::vector<uint32_t> arcs_;     // the head, with kOpen when the arc is open
  std::vector<uint32_t> partner_;  // the other arc of the pair
  std::vector<uint32_t> forward_;  // input arcs entries
};

}  // namespace fast::internal
