// What Karp-Sipser's two runs, on one thread (karp_sipser.cpp) and on a
// team (parallel_karp_sipser.cpp), share: the degrees kept in the mate
// slots, one numbering of both sides' vertices, and asking for a batch's
// reads ahead of matching it.
//
// The degree-one rule: a vertex's degree counts its entries that lead to a
// free vertex; a vertex whose degree drops to one has a single free
// neighbour left, and matching it to that one loses nothing. When no such
// vertex is left, a free row takes its first free column.
//
// The degree of a free vertex lives in its mate slot as -1 - degree, so
// that one random access per entry both tells whether a neighbour is free
// and updates its degree: a slot holds the mate (>= 0), or -2 for a free
// vertex with one free neighbour, -1 for one with none. Once a run is over
// every free slot holds -1. The run on one thread packs, where the numbers
// and degrees fit, the XOR of a free vertex's free neighbours into the same
// slot, beside the degree (karp_sipser.cpp); a free slot is negative and a
// matched one is not either way.
#pragma once

#include <algorithm>
#include <cstdint>

#include "matching_steps.h"
#include "team.h"

namespace fast::internal {

// One side's adjacency with 32-bit list positions, for a graph of fewer
// than 2^32 entries: half the bytes of the list positions, which the runs
// reach at random.
struct NarrowAdjacency {
  int32_t count = 0;
  const uint32_t* offsets = nullptr;
  const int32_t* targets = nullptr;
  int64_t begin(int32_t v) const { return offsets[v]; }
  int64_t end(int32_t v) const { return offsets[v + 1]; }
};

// Side: Adjacency or NarrowAdjacency.
template <class Side>
class KarpSipserReads {
 public:
  // Vertices whose reads are asked for together: at most kMostBatch.
  static constexpr int32_t kMostBatch = 64;

  KarpSipserReads(const Side& rows, const Side& cols, Mates mates)
      : rows_(rows), cols_(cols), mates_(mates) {}

  // Asks for what matching the vertices (ids as below) will read. Matching
  // a vertex is a chain of dependent cache misses: its list's position, its
  // list, its neighbours' slots (to find a free one), then the partner's
  // list position, list and neighbours' slots (to update their degrees).
  // Each stage is asked for across the batch before the next one reads it,
  // so that a batch's misses are in flight together. The partners are
  // guessed on the slots as they stand and found again when the batch is
  // matched, so asking changes no pair. Always inlined: GCC deems a
  // function that only reads and prefetches free of effects, and drops its
  // calls.
  [[gnu::always_inline]] void AskFor(const int32_t* vertices, int32_t n) const {
    Seen partners[kMostBatch];
    int32_t k = 0;
    for (int32_t i = 0; i < n; ++i)
      __builtin_prefetch(Of(vertices[i]).side->offsets + Of(vertices[i]).v);
    for (int32_t i = 0; i < n; ++i) PrefetchList(Of(vertices[i]));
    for (int32_t i = 0; i < n; ++i) PrefetchSlots(Of(vertices[i]));
    for (int32_t i = 0; i < n; ++i) {
      const Seen s = Of(vertices[i]);
      if (Load(s.own_slots + s.v) >= -1) continue;  // matched, or no free neighbour
      const int32_t u = FirstFreeGuess(s);
      if (u < 0) continue;
      partners[k] = vertices[i] >= 0 ? Of(~u) : Of(u);
      __builtin_prefetch(partners[k].side->offsets + partners[k].v);
      ++k;
    }
    for (int32_t i = 0; i < k; ++i) PrefetchList(partners[i]);
    for (int32_t i = 0; i < k; ++i) PrefetchSlots(partners[i]);
  }

 protected:
  // A vertex in the numbering of both sides (a row r as r, a column c as
  // ~c) seen from its side: its index there, its adjacency, its side's
  // slots and its neighbours'.
  struct Seen {
    int32_t v;
    const Side* side;
    int32_t* own_slots;
    int32_t* neighbour_slots;
  };
  Seen Of(int32_t vertex) const {
    return vertex >= 0 ? Seen{vertex, &rows_, mates_.row, mates_.col}
                       : Seen{~vertex, &cols_, mates_.col, mates_.row};
  }

  const Side& rows_;
  const Side& cols_;
  Mates mates_;

  void PrefetchList(Seen s) const { __builtin_prefetch(s.side->targets + s.side->begin(s.v)); }

  // The slots of the first entries of the list: enough for the short lists
  // that make chains of degree-one vertices, bounded for a hub's.
  void PrefetchSlots(Seen s) const {
    constexpr int64_t kFirst = 8;
    const int64_t end = std::min(s.side->end(s.v), s.side->begin(s.v) + kFirst);
    for (int64_t e = s.side->begin(s.v); e < end; ++e)
      __builtin_prefetch(s.neighbour_slots + s.side->targets[e], 1);
  }

 private:
  // The free neighbour the vertex would take now, or -1; nothing counted.
  static int32_t FirstFreeGuess(Seen s) {
    for (int64_t e = s.side->begin(s.v); e < s.side->end(s.v); ++e)
      if (Load(s.neighbour_slots + s.side->targets[e]) < 0) return s.side->targets[e];
    return -1;
  }
};

}  // namespace fast::internal
