// Unit networks of the matching shape, solved as bipartite matchings.
#pragma once

#include <cstdint>
#include <vector>

#include "matching.h"
#include "unit_flow.h"

namespace fast::internal {

// A network is of the matching shape when, with X the heads of the
// source's arcs and Y the tails of the sink's arcs, every arc runs from the
// source to X, from X to Y, or from Y to the sink; every node of X has one
// arc from the source, every node of Y one arc to the sink, and no node is
// in both. A maximum flow is then a maximum matching of the X-Y arcs, and a
// minimum cut a minimum vertex cover of them.
class MatchingReduction {
 public:
  // Builds the bipartite graph (rows: X in node order, columns: Y) when
  // `network` has the shape; false, and nothing kept, when it has not.
  // Throws std::bad_alloc.
  bool Build(const UnitNetwork& network);

  BipartiteGraph graph() const;

  // The flow and cut of `matching`, an optimal matching of graph(): each
  // pair (x, y) sends a unit along source -> x, the first x -> y arc, and
  // y -> sink; the source side is the source, the rows outside the cover
  // and the columns inside it.
  void Results(const UnitNetwork& network, const MaximumMatching& matching,
               std::vector<uint8_t>* arc_flow, std::vector<uint8_t>* source_side) const;

 private:
  bool Classify(const UnitNetwork& network);
  void BuildAdjacency(const UnitNetwork& network);

  // Per node: its row or column, -1 for the terminals and nodes on no arc.
  std::vector<int32_t> index_;
  // Per node: its arc from the source (X) or to the sink (Y), -1 for none.
  std::vector<int64_t> terminal_arc_;
  std::vector<uint8_t> in_x_;  // per node: 1 for X, 0 otherwise
  int32_t rows_ = 0;
  int32_t cols_ = 0;
  std::vector<int64_t> row_offsets_, col_offsets_;
  std::vector<int32_t> row_targets_, col_targets_;
};

}  // namespace fast::internal
