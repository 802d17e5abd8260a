// Karp-Sipser's start on one thread (karp_sipser.h).
#include "karp_sipser.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

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

// With kPacked, each free vertex's slot also holds the XOR of its free
// neighbours (Count), so that when its degree drops to one the neighbour is
// known without reading its list, and updating a neighbour's degree and XOR
// is one access to one 4-byte slot; without, a degree-one vertex reads its
// list to find its neighbour (RunThenGreedy, where the degree-one rule
// matches too few pairs to pay for the XORs' first pass over every list,
// and graphs whose numbers and degrees do not fit a packed slot).
template <bool kPacked, class Side = Adjacency>
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
  // `rows` and `cols` are the lists as given; the run reads them as `side_rows` and `side_cols`,
  // whose list positions it writes at `narrow` (rows + 1, then columns + 1) when they are
  // NarrowAdjacency, and which are the lists as given otherwise. With kPacked, the XOR takes
  // the low `shift` bits of a free slot and the degree the bits above (PackingShift).
  KarpSipser(const Adjacency& rows, const Adjacency& cols, const Side& side_rows,
             const Side& side_cols, uint32_t* narrow, Mates mates, MatchingCounters* counters,
             int32_t* degree_one, int shift = 0)
      : Reads(side_rows, side_cols, mates),
        given_rows_(rows),
        given_cols_(cols),
        narrow_(narrow),
        counters_(counters),
        degree_one_(degree_one),
        unit_(kPacked ? int32_t{1} << shift : 0) {}

  void Run() {
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
    static_assert(!kPacked);
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

  // Every vertex's degree and, with kPacked, its XOR, from the lists as
  // given; the 32-bit list positions, where the run reads them, are
  // written in the same pass, so that the given ones are read once.
  void CountDegrees() {
    for (int32_t r = 0; r < given_rows_.count; ++r) {
      if constexpr (kNarrow) narrow_[r] = static_cast<uint32_t>(given_rows_.begin(r));
      Count(r, given_rows_);
    }
    uint32_t* const narrow_cols = kNarrow ? narrow_ + given_rows_.count + 1 : nullptr;
    for (int32_t c = 0; c < given_cols_.count; ++c) {
      if constexpr (kNarrow) narrow_cols[c] = static_cast<uint32_t>(given_cols_.begin(c));
      Count(~c, given_cols_);
    }
    if constexpr (kNarrow) {
      narrow_[given_rows_.count] = static_cast<uint32_t>(given_rows_.offsets[given_rows_.count]);
      narrow_cols[given_cols_.count] =
          static_cast<uint32_t>(given_cols_.offsets[given_cols_.count]);
    }
  }

  static constexpr bool kNarrow = std::is_same_v<Side, NarrowAdjacency>;

  static int32_t Xor(const Adjacency& side, int32_t v) {
    int32_t x = 0;
    for (int64_t e = side.begin(v); e < side.end(v); ++e) x ^= side.targets[e];
    return x;
  }

  // Vertices taken together. A batch of 32 took the stack's vertices in
  // another order, and read more entries on the uniform and hidden-perfect
  // problems.
  static constexpr int32_t kBatch = 16;

  // Vertex ids on the stack: a row r as r, a column c as ~c. With kPacked
  // a free slot is ~(degree * unit_ | XOR of the free neighbours), so that
  // a degree of zero (whose XOR is zero) reads -1 as without.
  void Count(int32_t vertex, const Adjacency& side) {
    const int32_t v = vertex >= 0 ? vertex : ~vertex;
    const int64_t degree = side.end(v) - side.begin(v);
    int32_t& slot = vertex >= 0 ? mates_.row[v] : mates_.col[v];
    if constexpr (kPacked)
      slot = ~(static_cast<int32_t>(degree) * unit_ | Xor(side, v));
    else
      slot = static_cast<int32_t>(-1 - degree);
    if (degree == 1) degree_one_[pushed_++] = vertex;
  }

  // Whether a slot is that of a free vertex with one free neighbour: packed,
  // ~slot in [unit, 2 unit).
  static bool DegreeOne(int32_t slot, int32_t unit) {
    if constexpr (kPacked)
      return static_cast<uint32_t>(slot) + 2 * static_cast<uint32_t>(unit) <
             static_cast<uint32_t>(unit);
    return slot == -2;
  }
  bool DegreeOne(int32_t slot) const { return DegreeOne(slot, unit_); }

  // The one free neighbour of a degree-one vertex, from its packed slot.
  static int32_t Neighbour(int32_t slot, int32_t unit) { return ~slot - unit; }
  int32_t Neighbour(int32_t slot) const { return Neighbour(slot, unit_); }

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
      if constexpr (kPacked)
        AskForPartners(batch, n);
      else
        AskFor(batch, n);
      for (int32_t i = n; i-- > 0;) MatchIfDegreeOne(batch[i]);
    }
  }

  // With kPacked a degree-one vertex's one free neighbour is in its slot:
  // it is matched without reading its list.
  void MatchIfDegreeOne(int32_t v) {
    if (v >= 0) {
      const int32_t slot = mates_.row[v];
      if (!DegreeOne(slot)) return;  // matched, or its neighbour was taken
      const int32_t c =
          kPacked ? Neighbour(slot) : FirstFree(rows_, v, mates_.col, &counters_->arc_scans);
      if (c >= 0) Match(v, c, kColumnList);
    } else {
      const int32_t c = ~v, slot = mates_.col[c];
      if (!DegreeOne(slot)) return;
      const int32_t r =
          kPacked ? Neighbour(slot) : FirstFree(cols_, c, mates_.row, &counters_->arc_scans);
      if (r >= 0) Match(r, c, kRowList);
    }
  }

  // The partners of the batch's degree-one vertices: their lists, then
  // their neighbours' slots, each stage across the batch before the next
  // reads it (the partners' list positions were asked for when the
  // vertices were pushed).
  [[gnu::always_inline]] void AskForPartners(const int32_t* vertices, int32_t n) const {
    Seen partners[kBatch];
    int32_t k = 0;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t v = vertices[i];
      const int32_t slot = v >= 0 ? mates_.row[v] : mates_.col[~v];
      if (DegreeOne(slot)) partners[k++] = Of(v >= 0 ? ~Neighbour(slot) : Neighbour(slot));
    }
    for (int32_t i = 0; i < k; ++i) PrefetchList(partners[i]);
    for (int32_t i = 0; i < k; ++i) PrefetchSlots(partners[i]);
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
    const int32_t unit = unit_;
    if (lists & kRowList) {
      counters_->arc_scans += rows_.end(r) - rows_.begin(r);
      for (int64_t e = rows_.begin(r); e < rows_.end(r); ++e)
        Leave(mates_.col, rows_.targets[e], r, ~rows_.targets[e], unit);
    }
    if (lists & kColumnList) {
      counters_->arc_scans += cols_.end(c) - cols_.begin(c);
      for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e)
        Leave(mates_.row, cols_.targets[e], c, cols_.targets[e], unit);
    }
  }

  // Takes `gone`, just matched, out of neighbour t's degree (and XOR), t
  // being `vertex` on the stack.
  [[gnu::always_inline]] void Leave(int32_t* slots, int32_t t, int32_t gone, int32_t vertex,
                                    int32_t unit) {
    int32_t& slot = slots[t];
    if (slot >= 0) return;
    if constexpr (kPacked)
      slot = (slot + unit) ^ gone;  // ~((~slot - unit) ^ gone)
    else
      ++slot;
    if (DegreeOne(slot, unit)) Push(vertex, Neighbour(slot, unit));
  }

  // A vertex whose degree dropped to one. With kPacked its partner is
  // known, and its list position is asked for now, as it will be read next.
  void Push(int32_t vertex, int32_t partner) {
    degree_one_[pushed_++] = vertex;
    if constexpr (kPacked) {
      if (vertex >= 0)
        __builtin_prefetch(cols_.offsets + partner);
      else
        __builtin_prefetch(rows_.offsets + partner);
    }
  }

  const Adjacency& given_rows_;
  const Adjacency& given_cols_;
  uint32_t* const narrow_;
  MatchingCounters* counters_;
  // Vertices whose degree was one when pushed, rows + cols slots: a degree
  // reaches one at most once. Stale ones are skipped.
  int32_t* degree_one_;
  int32_t pushed_ = 0;
  // With kPacked, one in the degree of a packed slot: 1 << the bits of a
  // vertex number.
  const int32_t unit_;
};

// Whether a graph's list positions fit the 32 bits of NarrowAdjacency.
bool Narrows(const Adjacency& rows) {
  return rows.count == 0 || rows.end(rows.count - 1) <= int64_t{UINT32_MAX};
}

// The bits a vertex number takes in a packed slot (an XOR of numbers below
// 2^shift stays below it), or -1 where a number and the largest degree
// `most` above it do not fit in the 31 bits beside the sign, which marks a
// free slot: a side of more than 2^24 vertices with a degree of 64, or of
// more than 2^16 with one of 2^14, reads its lists instead.
int PackingShift(const Adjacency& rows, const Adjacency& cols, int64_t most) {
  const uint32_t largest = static_cast<uint32_t>(std::max({rows.count, cols.count, 1}) - 1);
  const int shift = largest == 0 ? 0 : 32 - __builtin_clz(largest);
  return shift < 31 && most < (int64_t{1} << (31 - shift)) ? shift : -1;
}

// Run or RunDegreeOne of KarpSipser, its slots packed where the numbers
// and degrees fit, on 32-bit list positions where they fit: the runs reach
// the slots and the positions of partners at random, and fewer bytes keep
// more of them in cache.
template <class Step>
void OnOneThread(const Adjacency& rows, const Adjacency& cols, int64_t most, Mates mates,
                 MatchingCounters* counters, Workspace* work, Step step) {
  int32_t* const stack = work->degree_one.data();
  const int shift = PackingShift(rows, cols, most);
  if (shift < 0) {
    KarpSipser<false> run(rows, cols, rows, cols, nullptr, mates, counters, stack);
    step(run);
    return;
  }
  if (!Narrows(rows)) {
    KarpSipser<true> run(rows, cols, rows, cols, nullptr, mates, counters, stack, shift);
    step(run);
    return;
  }
  uint32_t* const offsets = work->narrow_offsets.data();
  const NarrowAdjacency narrow_rows{rows.count, offsets, rows.targets};
  const NarrowAdjacency narrow_cols{cols.count, offsets + rows.count + 1, cols.targets};
  KarpSipser<true, NarrowAdjacency> run(rows, cols, narrow_rows, narrow_cols, offsets, mates,
                                        counters, stack, shift);
  step(run);
}

}  // namespace

void KarpSipserMatch(const Adjacency& rows, const Adjacency& cols, int64_t most, Mates mates,
                     MatchingCounters* counters, Workspace* work) {
  if (work->team != nullptr)
    ParallelKarpSipserMatch(rows, cols, mates, counters, work);
  else
    OnOneThread(rows, cols, most, mates, counters, work, [](auto& run) { run.Run(); });
}

void KarpSipserThenGreedyMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                               MatchingCounters* counters, Workspace* work) {
  KarpSipser<false>(rows, cols, rows, cols, nullptr, mates, counters, work->degree_one.data())
      .RunThenGreedy();
}

// With no vertex of degree one the rule has nothing to start from, and its
// passes over the degrees are spared; with some, the XORs find each
// partner without reading its list, as in a whole run.
void DegreeOneMatch(const Adjacency& rows, const Adjacency& cols, int64_t most, Mates mates,
                    MatchingCounters* counters, Workspace* work) {
  const auto degree_one = [](const Adjacency& side) {
    for (int32_t v = 0; v < side.count; ++v)
      if (side.end(v) - side.begin(v) == 1) return true;
    return false;
  };
  if (!degree_one(rows) && !degree_one(cols)) return;
  OnOneThread(rows, cols, most, mates, counters, work, [](auto& run) { run.RunDegreeOne(); });
}

}  // namespace fast::internal
