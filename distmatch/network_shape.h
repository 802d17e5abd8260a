// The matching shape of a "max" network, checked across ranks: the nodes
// joined to the source (X) each by exactly one arc, likewise the nodes
// joined to the sink (Y), no node in both sets, no arc between the source
// and the sink, and every other arc between an X node and a Y node.
#pragma once

#include <mpi.h>

#include <cstdint>
#include <utility>
#include <vector>

class NetworkShape {
 public:
  NetworkShape(int64_t nodes, int64_t source, int64_t sink);

  // Drops the arcs at the terminals and turns every other arc into
  // (X node, Y node). False on every rank when some rank's arcs break the
  // shape. Each rank keeps two counts per node of the whole network.
  bool orient(std::vector<std::pair<int64_t, int64_t>>& arcs, MPI_Comm comm);

  int64_t xNodes() const { return xCount; }
  int64_t yNodes() const { return yCount; }

 private:
  enum Side : char { kNone, kX, kY, kBroken };
  Side side(int64_t node) const;
  bool isTerminal(int64_t node) const { return node == source || node == sink; }
  // Counts the arcs at the terminals; false for an arc joining two of them.
  bool countTerminalArcs(const std::vector<std::pair<int64_t, int64_t>>& arcs);

  int64_t source, sink;
  std::vector<int32_t> toSource, toSink;  // per node: arcs joining it to the source, the sink
  int64_t xCount = 0, yCount = 0;
};
