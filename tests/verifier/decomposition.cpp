#include "decomposition.h"

#include <algorithm>

namespace verifier {

namespace {

// One side's adjacency, 0-based.
struct Adjacency {
  std::vector<int64_t> start;
  std::vector<int64_t> to;
  int64_t begin(int64_t v) const { return start[v]; }
  int64_t end(int64_t v) const { return start[v + 1]; }
};

Adjacency adjacency(const Bipartite& g, bool ofRows) {
  Adjacency a;
  a.start.assign((ofRows ? g.left : g.right) + 1, 0);
  // Counted at each vertex's end, which the scatter moves back to its begin.
  for (const Pair& e : g.edges) ++a.start[(ofRows ? e.first : e.second) - 1];
  for (size_t v = 1; v < a.start.size(); ++v) a.start[v] += a.start[v - 1];
  a.to.resize(g.edges.size());
  for (const Pair& e : g.edges)
    a.to[--a.start[(ofRows ? e.first : e.second) - 1]] = (ofRows ? e.second : e.first) - 1;
  return a;
}

// Positions, mates and blocks of every vertex, from a file whose
// permutations and boundaries have been checked.
struct Layout {
  std::vector<int64_t> rowAt, colAt;  // position -> vertex
  std::vector<int64_t> rowPosition, colPosition;
  std::vector<int64_t> rowMate, colMate;  // -1 for a free vertex
  std::vector<int64_t> rowBlock, colBlock;
};

// Whether `order` lists each of 1 ... count once; sets position[v - 1].
bool permutation(const std::vector<int64_t>& order, int64_t count, std::vector<int64_t>& position) {
  if (static_cast<int64_t>(order.size()) != count) return false;
  position.assign(count, -1);
  for (int64_t k = 0; k < count; ++k) {
    const int64_t v = order[k] - 1;
    if (v < 0 || v >= count || position[v] >= 0) return false;
    position[v] = k;
  }
  return true;
}

bool nondecreasing(const int64_t* b, size_t n, int64_t last) {
  if (n == 0 || b[0] != 0 || b[n - 1] != last) return false;
  for (size_t k = 1; k < n; ++k)
    if (b[k] < b[k - 1]) return false;
  return true;
}

// The boundaries fit the form: the coarse parts' sizes pair up as the
// matching on their diagonals needs, and the blocks are the
// under-determined part (when C0 + C1 is not empty), square blocks tiling
// R2 x C2, and the over-determined part (when R3 + R0 is not empty).
std::string checkBoundaries(const Decomposition& d) {
  const auto& rr = d.rr;
  const auto& cc = d.cc;
  if (!nondecreasing(rr.data(), 5, d.rows) || !nondecreasing(cc.data(), 5, d.cols))
    return "the coarse boundaries do not run from 1 to the size plus 1 without decreasing";
  if (d.rank != rr[3] || cc[1] != d.cols - d.rank)
    return "the structural rank is not the number of rows in R1, R2 and R3 and of columns in "
           "C1, C2 and C3";
  for (int k = 1; k < 4; ++k)
    if (rr[k] - rr[k - 1] != cc[k + 1] - cc[k])
      return "coarse part " + std::to_string(k) + " has " + std::to_string(rr[k] - rr[k - 1]) +
             " rows and " + std::to_string(cc[k + 1] - cc[k]) + " columns";
  const auto& r = d.r;
  const auto& s = d.s;
  if (!nondecreasing(r.data(), r.size(), d.rows) || !nondecreasing(s.data(), s.size(), d.cols))
    return "the block boundaries do not run from 1 to the size plus 1 without decreasing";
  size_t b = 0;
  if (cc[2] > 0 && (r.size() < 2 || r[++b] != rr[1] || s[b] != cc[2]))
    return "the first block is not the under-determined part R1 x (C0 C1)";
  for (; b + 1 < r.size() && r[b] < rr[2]; ++b)
    if (r[b + 1] == r[b] || r[b + 1] > rr[2] || r[b + 1] - r[b] != s[b + 1] - s[b])
      return "block " + std::to_string(b + 1) +
             " of the square part is empty, not square or "
             "crosses its end";
  if (r[b] != rr[2] || s[b] != cc[3]) return "the square blocks do not tile R2 x C2";
  if (rr[2] < d.rows && ++b + 1 != r.size())
    return "the over-determined part R3 R0 x C3 is not the last block";
  if (b + 1 != r.size()) return "blocks follow the square part";
  return "";
}

Layout layout(const Decomposition& d) {
  Layout at;
  at.rowAt = d.p;
  at.colAt = d.q;
  for (int64_t& v : at.rowAt) --v;
  for (int64_t& v : at.colAt) --v;
  permutation(d.p, d.rows, at.rowPosition);
  permutation(d.q, d.cols, at.colPosition);
  at.rowMate.assign(d.rows, -1);
  at.colMate.assign(d.cols, -1);
  for (int64_t k = 0; k < d.rank; ++k) {
    at.rowMate[at.rowAt[k]] = at.colAt[k + d.cc[1]];
    at.colMate[at.colAt[k + d.cc[1]]] = at.rowAt[k];
  }
  at.rowBlock.resize(d.rows);
  at.colBlock.resize(d.cols);
  for (int64_t b = 0; b < d.blocks; ++b) {
    for (int64_t k = d.r[b]; k < d.r[b + 1]; ++k) at.rowBlock[at.rowAt[k]] = b;
    for (int64_t k = d.s[b]; k < d.s[b + 1]; ++k) at.colBlock[at.colAt[k]] = b;
  }
  return at;
}

// Every entry on or above the block diagonal, and every pair the layout
// puts on a diagonal an entry.
std::string checkEntries(const Bipartite& g, const Decomposition& d, const Layout& at) {
  std::vector<char> onDiagonal(d.rank, 0);
  for (const Pair& e : g.edges) {
    const int64_t i = e.first - 1, j = e.second - 1;
    if (at.rowBlock[i] > at.colBlock[j])
      return "entry (" + std::to_string(e.first) + ", " + std::to_string(e.second) +
             ") lies below the block diagonal: row block " + std::to_string(at.rowBlock[i] + 1) +
             ", column block " + std::to_string(at.colBlock[j] + 1);
    if (at.rowMate[i] == j) onDiagonal[at.rowPosition[i]] = 1;
  }
  for (int64_t k = 0; k < d.rank; ++k)
    if (!onDiagonal[k])
      return "row " + std::to_string(at.rowAt[k] + 1) + " and column " +
             std::to_string(at.colAt[k + d.cc[1]] + 1) +
             ", paired by their positions, are no entry";
  return "";
}

// Alternating search from `starts` over `side`: a reached vertex reaches
// its neighbours, a reached neighbour its mate. {side reached, other
// reached}.
std::pair<int64_t, int64_t> alternatingReach(const Adjacency& side, int64_t sideCount,
                                             int64_t otherCount,
                                             const std::vector<int64_t>& otherMate,
                                             std::vector<int64_t> queue) {
  std::vector<char> seen(sideCount, 0), otherSeen(otherCount, 0);
  for (int64_t v : queue) seen[v] = 1;
  int64_t others = 0;
  for (size_t head = 0; head < queue.size(); ++head)
    for (int64_t e = side.begin(queue[head]); e < side.end(queue[head]); ++e) {
      const int64_t w = side.to[e];
      if (otherSeen[w]) continue;
      otherSeen[w] = 1;
      ++others;
      if (otherMate[w] >= 0 && !seen[otherMate[w]]) {
        seen[otherMate[w]] = 1;
        queue.push_back(otherMate[w]);
      }
    }
  return {static_cast<int64_t>(queue.size()), others};
}

// Under the diagonal matching, alternating paths from the free columns
// reach exactly R1, C0 and C1, and from the free rows exactly R3, R0 and C3.
std::string checkCoarse(const Adjacency& rows, const Adjacency& cols, const Decomposition& d,
                        const Layout& at) {
  const auto& rr = d.rr;
  const auto& cc = d.cc;
  std::vector<int64_t> freeCols(at.colAt.begin(), at.colAt.begin() + cc[1]);
  std::vector<int64_t> freeRows(at.rowAt.begin() + rr[3], at.rowAt.end());
  auto under = alternatingReach(cols, d.cols, d.rows, at.rowMate, freeCols);
  if (under.first != cc[2] || under.second != rr[1])
    return "alternating paths from the free columns C0 reach " + std::to_string(under.second) +
           " rows and " + std::to_string(under.first) + " columns, not R1 and C0 C1";
  auto over = alternatingReach(rows, d.rows, d.cols, at.colMate, freeRows);
  if (over.first != d.rows - rr[2] || over.second != d.cols - cc[3])
    return "alternating paths from the free rows R0 reach " + std::to_string(over.first) +
           " rows and " + std::to_string(over.second) + " columns, not R3 R0 and C3";
  return "";
}

// Whether a search over `side` from the vertex at position `first` reaches
// every position of [first, last), entering only vertices there.
// vertexAt(k) is the side's vertex at position k, positionOf(w) that of a
// neighbour w.
template <class VertexAt, class PositionOf>
bool reachesBlock(const Adjacency& side, VertexAt vertexAt, PositionOf positionOf, int64_t first,
                  int64_t last) {
  std::vector<char> seen(last - first, 0);
  std::vector<int64_t> queue{first};
  seen[0] = 1;
  for (size_t head = 0; head < queue.size(); ++head) {
    const int64_t v = vertexAt(queue[head]);
    for (int64_t e = side.begin(v); e < side.end(v); ++e) {
      const int64_t k = positionOf(side.to[e]);
      if (k < first || k >= last || seen[k - first]) continue;
      seen[k - first] = 1;
      queue.push_back(k);
    }
  }
  return static_cast<int64_t>(queue.size()) == last - first;
}

std::string checkFineBlocks(const Adjacency& rows, const Adjacency& cols, const Decomposition& d,
                            const Layout& at) {
  const int64_t shift = d.cc[1];
  auto rowAt = [&](int64_t k) { return at.rowAt[k]; };
  auto colAt = [&](int64_t k) { return at.colAt[k + shift]; };
  auto rowPosition = [&](int64_t i) { return at.rowPosition[i]; };
  auto colPosition = [&](int64_t j) { return at.colPosition[j] - shift; };
  for (int64_t b = 0; b < d.blocks; ++b) {
    const int64_t first = d.r[b], last = d.r[b + 1];
    if (first == last || first < d.rr[1] || last > d.rr[2]) continue;
    if (!reachesBlock(rows, rowAt, colPosition, first, last) ||
        !reachesBlock(cols, colAt, rowPosition, first, last))
      return "block " + std::to_string(b + 1) + " (rows " + std::to_string(first + 1) + " to " +
             std::to_string(last) + ") is not strongly connected";
  }
  return "";
}

}  // namespace

std::string checkDecomposition(const Bipartite& g, const Decomposition& d) {
  if (d.rows != g.left || d.cols != g.right)
    return "the file is for " + std::to_string(d.rows) + " x " + std::to_string(d.cols) +
           ", the problem is " + std::to_string(g.left) + " x " + std::to_string(g.right);
  std::vector<int64_t> position;
  if (!permutation(d.p, d.rows, position)) return "p is not a permutation of the rows";
  if (!permutation(d.q, d.cols, position)) return "q is not a permutation of the columns";
  std::string fault = checkBoundaries(d);
  if (!fault.empty()) return fault;
  const Layout at = layout(d);
  fault = checkEntries(g, d, at);
  if (!fault.empty()) return fault;
  const Adjacency rows = adjacency(g, true), cols = adjacency(g, false);
  fault = checkCoarse(rows, cols, d, at);
  if (fault.empty()) fault = checkFineBlocks(rows, cols, d, at);
  return fault;
}

}  // namespace verifier
