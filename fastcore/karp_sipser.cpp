// Karp-Sipser's start on one thread (karp_sipser.h).
#include "karp_sipser.h"

#include <algorithm>
#include <cstdint>

namespace fast::internal {

namespace {

// The first free vertex among v's neighbours, or -1.
template <class Side>
int32_t FirstFree(const Side& side, int32_t v, const int32_t* other_mates, int64_t* scans) {
  for (int64_t e = side.begin(v); e < side.end(v); ++e) {
    ++*scans;
    if (other_mates[side.targets[e]] < 0) return side.targets[e];
  }
  return -1;
}

// With kXors, each free vertex keeps the XOR of its free neighbours beside
// its degree (Run); without, a degree-one vertex reads its list to find its
// neighbour (RunThenGreedy, where the degree-one rule matches too few pairs
// to pay for the XORs' first pass over every list).
template <bool kXors, class Side = Adjacency>
class KarpSipser : KarpSipserReads<Side> {
  using Reads = KarpSipserReads<Side>;
  using Reads::AskFor;
  using Reads::cols_;
  using Reads::mates_;
  using Reads::Of;
  using Reads::PrefetchList;
  using Reads::PrefetchSlots;
  using Reads::rows_;
  using typename Reads::Seen;

 public:
  KarpSipser(const Side& rows, const Side& cols, Mates mates, MatchingCounters* counters,
             int32_t* degree_one, int32_t* free_xor)
      : Reads(rows, cols, mates),
        counters_(counters),
        degree_one_(degree_one),
        row_xor_(free_xor),
        col_xor_(kXors ? free_xor + rows.count : nullptr) {}

  void Run() {
    static_assert(kXors);
    CountDegrees();
    MatchDegreeOne();
    // The rows a batch at a time too, the reads of those still free asked
    // for together. The degree-one vertices that a batch's pairs make are
    // matched after the batch, not before the next row: each pair's are a
    // chain of dependent misses (partner, its list, its neighbours' slots,
    // their partners), mostly one or two vertices long, and the batch's
    // chains are taken from the stack together, their misses in flight at
    // once. A row that chooses ahead of a waiting vertex may take its one
    // free neighbour, a pair the search then finds: 1 and 2 more left
    // free of 244,455 and 250,000 on the 1M uniform and hidden-perfect
    // problems, for a fifth less time (docs/fast.md).
    int32_t batch[kBatch];
    for (int32_t first = 0; first < rows_.count; first += kBatch) {
      const int32_t last = std::min(first + kBatch, rows_.count);
      int32_t n = 0;
      for (int32_t r = first; r < last; ++r)
        if (mates_.row[r] < -1) batch[n++] = r;
      AskFor(batch, n);
      for (int32_t r = first; r < last; ++r) {
        if (mates_.row[r] >= -1) continue;  // matched, or no free neighbour
        const int32_t c = FirstFree(rows_, r, mates_.col, &counters_->arc_scans);
        if (c >= 0) Match(r, c, kRowList | kColumnList);
      }
      MatchDegreeOne();
    }
  }

  // The degree-one rule from the vertices of degree one, whose pairs a
  // maximum matching may keep, then each free row takes its first free
  // column and no degree is kept: where every mistake of a first-free
  // choice is mended by a short augmenting path nearby, keeping the degrees
  // (both lists of every pair read again) costs more than it saves.
  void RunThenGreedy() {
    static_assert(!kXors);
    CountDegrees();
    MatchDegreeOne();
    for (int32_t r = 0; r < rows_.count; ++r) {
      if (mates_.row[r] >= -1) continue;  // matched, or no free neighbour
      const int32_t c = FirstFree(rows_, r, mates_.col, &counters_->arc_scans);
      if (c >= 0) Match(r, c, kNoList);
    }
    ClearDegrees();
  }

  // The degree-one rule alone, from the vertices of degree one until none
  // is left; the vertices it leaves free are the search's.
  void RunDegreeOne() {
    CountDegrees();
    MatchDegreeOne();
    ClearDegrees();
  }

 private:
  // The degrees left in the free slots are stale once the degree-one rule
  // is over: every free slot holds -1 again, as after a whole run.
  void ClearDegrees() {
    for (int32_t r = 0; r < rows_.count; ++r) mates_.row[r] = std::max(mates_.row[r], -1);
    for (int32_t c = 0; c < cols_.count; ++c) mates_.col[c] = std::max(mates_.col[c], -1);
  }

  void CountDegrees() {
    for (int32_t r = 0; r < rows_.count; ++r) {
      Count(r, rows_.end(r) - rows_.begin(r));
      if constexpr (kXors) row_xor_[r] = Xor(rows_, r);
    }
    for (int32_t c = 0; c < cols_.count; ++c) {
      Count(~c, cols_.end(c) - cols_.begin(c));
      if constexpr (kXors) col_xor_[c] = Xor(cols_, c);
    }
  }

  static int32_t Xor(const Side& side, int32_t v) {
    int32_t x = 0;
    for (int64_t e = side.begin(v); e < side.end(v); ++e) x ^= side.targets[e];
    return x;
  }

  // Vertices taken together. A batch of 32 took the stack's vertices in
  // another order, and read more entries on the uniform and hidden-perfect
  // problems.
  static constexpr int32_t kBatch = 16;

  // Vertex ids on the stack: a row r as r, a column c as ~c.
  void Count(int32_t vertex, int64_t degree) {
    int32_t& slot = vertex >= 0 ? mates_.row[vertex] : mates_.col[~vertex];
    slot = static_cast<int32_t>(-1 - degree);
    if (degree == 1) degree_one_[pushed_++] = vertex;
  }

  // The degree-one vertices are taken from the stack a batch at a time,
  // their reads asked for together (AskFor). A vertex is checked when its
  // turn comes, so the batch's stale entries are skipped, and the vertices
  // its pairs push wait for the next batch.
  void MatchDegreeOne() {
    int32_t batch[kBatch];
    while (pushed_ > 0) {
      const int32_t n = std::min(pushed_, kBatch);
      pushed_ -= n;
      std::copy(degree_one_ + pushed_, degree_one_ + pushed_ + n, batch);
      if constexpr (kXors)
        AskForPartners(batch, n);
      else
        AskFor(batch, n);
      for (int32_t i = n; i-- > 0;) MatchIfDegreeOne(batch[i]);
    }
  }

  // With the XORs a degree-one vertex's one free neighbour is the XOR of
  // its free neighbours: it is matched without reading its list.
  void MatchIfDegreeOne(int32_t v) {
    if (v >= 0) {
      if (mates_.row[v] != -2) return;  // matched, or its neighbour was taken
      const int32_t c =
          kXors ? row_xor_[v] : FirstFree(rows_, v, mates_.col, &counters_->arc_scans);
      if (c >= 0) Match(v, c, kColumnList);
    } else {
      const int32_t c = ~v;
      if (mates_.col[c] != -2) return;
      const int32_t r =
          kXors ? col_xor_[c] : FirstFree(cols_, c, mates_.row, &counters_->arc_scans);
      if (r >= 0) Match(r, c, kRowList);
    }
  }

  // The partners of the batch's degree-one vertices: their lists, then
  // their neighbours' slots and XORs, each stage across the batch before
  // the next reads it (the partners' list positions were asked for when the
  // vertices were pushed).
  [[gnu::always_inline]] void AskForPartners(const int32_t* vertices, int32_t n) const {
    Seen partners[kBatch];
    int32_t k = 0;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t v = vertices[i];
      if (v >= 0 && mates_.row[v] == -2) partners[k++] = Of(~row_xor_[v]);
      if (v < 0 && mates_.col[~v] == -2) partners[k++] = Of(col_xor_[~v]);
    }
    for (int32_t i = 0; i < k; ++i) PrefetchList(partners[i]);
    for (int32_t i = 0; i < k; ++i) {
      PrefetchSlots(partners[i]);
      PrefetchXors(partners[i]);
    }
  }

  void PrefetchXors(Seen s) const {
    int32_t* xors = s.side == &rows_ ? col_xor_ : row_xor_;
    constexpr int64_t kFirst = 8;
    const int64_t end = std::min(s.side->end(s.v), s.side->begin(s.v) + kFirst);
    for (int64_t e = s.side->begin(s.v); e < end; ++e)
      __builtin_prefetch(xors + s.side->targets[e], 1);
  }

  // Which of a pair's lists Match reads (none: the degrees are no longer
  // kept).
  static constexpr int kNoList = 0, kRowList = 1, kColumnList = 2;

  // Pairs r and c, and takes both out of their free neighbours' degrees.
  // A vertex matched by the degree-one rule had no free neighbour but its
  // new mate, so its list, which would change no degree, is not read: only
  // the lists in `lists` are.
  void Match(int32_t r, int32_t c, int lists) {
    mates_.row[r] = c;
    mates_.col[c] = r;
    ++counters_->initial_pairs;
    ++*mates_.pairs;
    if (lists & kRowList) {
      counters_->arc_scans += rows_.end(r) - rows_.begin(r);
      for (int64_t e = rows_.begin(r); e < rows_.end(r); ++e) {
        const int32_t t = rows_.targets[e];
        int32_t& slot = mates_.col[t];
        if (slot >= 0) continue;
        if constexpr (kXors) col_xor_[t] ^= r;
        if (++slot == -2) Push(~t);
      }
    }
    if (lists & kColumnList) {
      counters_->arc_scans += cols_.end(c) - cols_.begin(c);
      for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e) {
        const int32_t t = cols_.targets[e];
        int32_t& slot = mates_.row[t];
        if (slot >= 0) continue;
        if constexpr (kXors) row_xor_[t] ^= c;
        if (++slot == -2) Push(t);
      }
    }
  }

  // A vertex whose degree dropped to one. With the XORs its partner is
  // known, and its list position is asked for now, as it will be read next.
  void Push(int32_t vertex) {
    degree_one_[pushed_++] = vertex;
    if constexpr (kXors) {
      if (vertex >= 0)
        __builtin_prefetch(cols_.offsets + row_xor_[vertex]);
      else
        __builtin_prefetch(rows_.offsets + col_xor_[~vertex]);
    }
  }

  MatchingCounters* counters_;
  // Vertices whose degree was one when pushed, rows + cols slots: a degree
  // reaches one at most once. Stale ones are skipped.
  int32_t* degree_one_;
  int32_t pushed_ = 0;
  // Per free vertex: the XOR of the entries of its list that lead to a free
  // vertex, so the neighbour itself once the degree is one.
  int32_t* row_xor_;
  int32_t* col_xor_;
};

// Whether a graph's list positions fit the 32 bits of NarrowAdjacency.
bool Narrows(const Adjacency& rows) {
  return rows.count == 0 || rows.end(rows.count - 1) <= int64_t{UINT32_MAX};
}

// The side with its list positions copied to `offsets` (count + 1 of them).
NarrowAdjacency Narrow(const Adjacency& side, uint32_t* offsets) {
  for (int32_t v = 0; v <= side.count; ++v) offsets[v] = static_cast<uint32_t>(side.offsets[v]);
  return {side.count, offsets, side.targets};
}

// Run or RunDegreeOne of KarpSipser<true>, on 32-bit list positions where
// they fit: the runs reach the positions of partners at random, and half
// the bytes keep more of them in cache.
template <class Step>
void OnOneThread(const Adjacency& rows, const Adjacency& cols, Mates mates,
                 MatchingCounters* counters, Workspace* work, Step step) {
  int32_t* const stack = work->degree_one.data();
  int32_t* const xors = work->free_xor.data();
  if (!Narrows(rows)) {
    KarpSipser<true> run(rows, cols, mates, counters, stack, xors);
    step(run);
    return;
  }
  uint32_t* const offsets = work->narrow_offsets.data();
  const NarrowAdjacency narrow_rows = Narrow(rows, offsets);
  const NarrowAdjacency narrow_cols = Narrow(cols, offsets + rows.count + 1);
  KarpSipser<true, NarrowAdjacency> run(narrow_rows, narrow_cols, mates, counters, stack, xors);
  step(run);
}

}  // namespace

void KarpSipserMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                     MatchingCounters* counters, Workspace* work) {
  if (work->team != nullptr)
    ParallelKarpSipserMatch(rows, cols, mates, counters, work);
  else
    OnOneThread(rows, cols, mates, counters, work, [](auto& run) { run.Run(); });
}

void KarpSipserThenGreedyMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                               MatchingCounters* counters, Workspace* work) {
  KarpSipser<false>(rows, cols, mates, counters, work->degree_one.data(), nullptr).RunThenGreedy();
}

// With no vertex of degree one the rule has nothing to start from, and its
// passes over the degrees are spared; with some, the XORs find each
// partner without reading its list, as in a whole run.
void DegreeOneMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                    MatchingCounters* counters, Workspace* work) {
  const auto degree_one = [](const Adjacency& side) {
    for (int32_t v = 0; v < side.count; ++v)
      if (side.end(v) - side.begin(v) == 1) return true;
    return false;
  };
  if (!degree_one(rows) && !degree_one(cols)) return;
  OnOneThread(rows, cols, mates, counters, work, [](auto& run) { run.RunDegreeOne(); });
}

}  // namespace fast::internal
