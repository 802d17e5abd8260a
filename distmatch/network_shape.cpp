#include "network_shape.h"

NetworkShape::NetworkShape(int64_t nodes, int64_t source, int64_t sink)
    : source(source), sink(sink), toSource(size_t(nodes)), toSink(size_t(nodes)) {}

NetworkShape::Side NetworkShape::side(int64_t node) const {
  int32_t s = toSource[size_t(node)], t = toSink[size_t(node)];
  if (s == 0 && t == 0) return kNone;
  if (s == 1 && t == 0) return kX;
  if (s == 0 && t == 1) return kY;
  return kBroken;
}

bool NetworkShape::countTerminalArcs(const std::vector<std::pair<int64_t, int64_t>>& arcs) {
  for (auto [u, v] : arcs) {
    if (isTerminal(u) && isTerminal(v)) return false;
    if (isTerminal(u)) ++(u == source ? toSource : toSink)[size_t(v)];
    if (isTerminal(v)) ++(v == source ? toSource : toSink)[size_t(u)];
  }
  return true;
}

bool NetworkShape::orient(std::vector<std::pair<int64_t, int64_t>>& arcs, MPI_Comm comm) {
  int ok = countTerminalArcs(arcs);
  int n = int(toSource.size());
  MPI_Allreduce(MPI_IN_PLACE, toSource.data(), n, MPI_INT32_T, MPI_SUM, comm);
  MPI_Allreduce(MPI_IN_PLACE, toSink.data(), n, MPI_INT32_T, MPI_SUM, comm);
  for (int64_t node = 0; node < n; ++node) {
    Side s = side(node);
    ok &= s != kBroken;
    xCount += s == kX;
    yCount += s == kY;
  }
  size_t kept = 0;
  for (auto [u, v] : arcs) {
    if (isTerminal(u) || isTerminal(v)) continue;
    Side su = side(u), sv = side(v);
    ok &= (su == kX && sv == kY) || (su == kY && sv == kX);
    arcs[kept++] = su == kX ? std::make_pair(u, v) : std::make_pair(v, u);
  }
  arcs.resize(kept);
  MPI_Allreduce(MPI_IN_PLACE, &ok, 1, MPI_INT, MPI_LAND, comm);
  return ok;
}
