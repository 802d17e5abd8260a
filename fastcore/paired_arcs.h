// The layout both residual networks share: rows of residual arcs, built by a
// counting pass and a scatter.
#pragma once

#include <cstdint>
#include <vector>

namespace fast::internal {

// Every input arc i that `kept(i)` becomes a pair of residual arcs: the
// forward one in its tail's row and the backward one in its head's row, each
// the other's partner. Node u's row is [first[u], first[u + 1]); `first`
// comes in as nodes + 1 zeros. `resize(total)` sizes the caller's arc array
// once the rows are counted; `place(i, out, in)` writes arc i's pair.
template <class Kept, class Resize, class Place>
void LayPairedArcs(int32_t nodes, const int32_t* tails, const int32_t* heads, int64_t arcs,
                   Kept kept, std::vector<uint32_t>* first, std::vector<uint32_t>* partner,
                   Resize resize, Place place) {
  std::vector<uint32_t>& begin = *first;
  // begin[u + 1] counts u's arcs, then the prefix sums make it u's end.
  for (int64_t i = 0; i < arcs; ++i) {
    if (!kept(i)) continue;
    ++begin[size_t(tails[i]) + 1];
    ++begin[size_t(heads[i]) + 1];
  }
  for (int32_t u = 0; u < nodes; ++u) begin[u + 1] += begin[u];
  resize(begin[nodes]);
  partner->resize(begin[nodes]);
  // Scatter: `next[u]` is where u's next arc goes.
  std::vector<uint32_t> next(begin.begin(), begin.end() - 1);
  for (int64_t i = 0; i < arcs; ++i) {
    if (!kept(i)) continue;
    const uint32_t out = next[tails[i]]++;
    const uint32_t in = next[heads[i]]++;
    (*partner)[out] = in;
    (*partner)[in] = out;
    place(i, out, in);
  }
}

}  // namespace fast::internal
