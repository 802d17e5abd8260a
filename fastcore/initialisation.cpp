// First matchings: the plain greedy one and Karp-Sipser's.
#include <algorithm>

#include "matching_steps.h"

namespace fast::internal {

namespace {

// The first free vertex among v's neighbours, or -1.
int32_t FirstFree(const Adjacency& side, int32_t v, const int32_t* other_mates, int64_t* scans) {
  for (int64_t e = side.begin(v); e < side.end(v); ++e) {
    ++*scans;
    if (other_mates[side.targets[e]] < 0) return side.targets[e];
  }
  return -1;
}

// Karp-Sipser's degree-one rule. A vertex's degree counts its entries that
// lead to a free vertex; a vertex whose degree drops to one has a single
// free neighbour left, and matching it to that one loses nothing.
//
// The degree of a free vertex lives in its mate slot as -1 - degree, so
// that one random access per entry both tells whether a neighbour is free
// and updates its degree: a slot holds the mate (>= 0), or -2 for a free
// vertex with one free neighbour, -1 for one with none. Once the run is
// over no free vertex has a free neighbour, so every free slot holds -1.
class KarpSipser {
 public:
  KarpSipser(const Adjacency& rows, const Adjacency& cols, Mates mates, MatchingCounters* counters,
             int32_t* degree_one)
      : rows_(rows), cols_(cols), mates_(mates), counters_(counters), degree_one_(degree_one) {}

  void Run() {
    for (int32_t r = 0; r < rows_.count; ++r) Count(r, rows_.end(r) - rows_.begin(r));
    for (int32_t c = 0; c < cols_.count; ++c) Count(~c, cols_.end(c) - cols_.begin(c));
    // The rows a batch at a time too, the reads of those still free asked
    // for together; the degree-one vertices that a row's pair makes are
    // matched before the next row, as one by one.
    int32_t batch[kBatch];
    for (int32_t first = 0; first < rows_.count; first += kBatch) {
      const int32_t last = std::min(first + kBatch, rows_.count);
      int32_t n = 0;
      for (int32_t r = first; r < last; ++r)
        if (mates_.row[r] < -1) batch[n++] = r;
      AskFor(batch, n);
      for (int32_t r = first; r < last; ++r) {
        MatchDegreeOne();
        if (mates_.row[r] >= -1) continue;  // matched, or no free neighbour
        int32_t c = FirstFree(rows_, r, mates_.col, &counters_->arc_scans);
        if (c >= 0) Match(r, c, kRowList | kColumnList);
      }
    }
    MatchDegreeOne();
  }

 private:
  // Vertices whose reads are asked for together. A batch of 32 took the
  // stack's vertices in another order, and read more entries on the
  // uniform and hidden-perfect problems.
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
      AskFor(batch, n);
      for (int32_t i = n; i-- > 0;) MatchIfDegreeOne(batch[i]);
    }
  }

  // Asks for what matching the vertices will read. Matching a vertex is a
  // chain of dependent cache misses: its list's position, its list, its
  // neighbours' slots (to find a free one), then the partner's list
  // position, list and neighbours' slots (to update their degrees). Each
  // stage is asked for across the batch before the next one reads it, so
  // that a batch's misses are in flight together; the partners are guessed
  // on the slots as they stand, and found again, counted, when the batch is
  // matched in order, so the pairs are those of matching one by one.
  // Always inlined: GCC deems a function that only reads and prefetches
  // free of effects, and drops its calls.
  [[gnu::always_inline]] void AskFor(const int32_t* vertices, int32_t n) const {
    Seen partners[kBatch];
    int32_t k = 0;
    for (int32_t i = 0; i < n; ++i)
      __builtin_prefetch(Of(vertices[i]).side->offsets + Of(vertices[i]).v);
    for (int32_t i = 0; i < n; ++i) PrefetchList(Of(vertices[i]));
    for (int32_t i = 0; i < n; ++i) PrefetchSlots(Of(vertices[i]));
    for (int32_t i = 0; i < n; ++i) {
      const Seen s = Of(vertices[i]);
      if (s.own_slots[s.v] >= -1) continue;  // matched, or no free neighbour
      const int32_t u = FirstFreeGuess(s);
      if (u < 0) continue;
      partners[k] = vertices[i] >= 0 ? Of(~u) : Of(u);
      __builtin_prefetch(partners[k].side->offsets + partners[k].v);
      ++k;
    }
    for (int32_t i = 0; i < k; ++i) PrefetchList(partners[i]);
    for (int32_t i = 0; i < k; ++i) PrefetchSlots(partners[i]);
  }

  // A vertex of the stack's numbering seen from its side: its index there,
  // its adjacency, its side's slots and its neighbours'.
  struct Seen {
    int32_t v;
    const Adjacency* side;
    const int32_t* own_slots;
    const int32_t* neighbour_slots;
  };
  Seen Of(int32_t vertex) const {
    return vertex >= 0 ? Seen{vertex, &rows_, mates_.row, mates_.col}
                       : Seen{~vertex, &cols_, mates_.col, mates_.row};
  }

  void PrefetchList(Seen s) const { __builtin_prefetch(s.side->targets + s.side->begin(s.v)); }

  // The slots of the first entries of the list: enough for the short lists
  // that make chains of degree-one vertices, bounded for a hub's.
  void PrefetchSlots(Seen s) const {
    constexpr int64_t kFirst = 8;
    const int64_t end = std::min(s.side->end(s.v), s.side->begin(s.v) + kFirst);
    for (int64_t e = s.side->begin(s.v); e < end; ++e)
      __builtin_prefetch(s.neighbour_slots + s.side->targets[e], 1);
  }

  // The free neighbour the vertex would take now, or -1; nothing counted.
  static int32_t FirstFreeGuess(Seen s) {
    for (int64_t e = s.side->begin(s.v); e < s.side->end(s.v); ++e)
      if (s.neighbour_slots[s.side->targets[e]] < 0) return s.side->targets[e];
    return -1;
  }

  void MatchIfDegreeOne(int32_t v) {
    if (v >= 0) {
      if (mates_.row[v] != -2) return;  // matched, or its neighbour was taken
      int32_t c = FirstFree(rows_, v, mates_.col, &counters_->arc_scans);
      if (c >= 0) Match(v, c, kColumnList);
    } else {
      int32_t c = ~v;
      if (mates_.col[c] != -2) return;
      int32_t r = FirstFree(cols_, c, mates_.row, &counters_->arc_scans);
      if (r >= 0) Match(r, c, kRowList);
    }
  }

  // Which of a pair's lists Match reads.
  static constexpr int kRowList = 1, kColumnList = 2;

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
        int32_t& slot = mates_.col[rows_.targets[e]];
        if (slot < 0 && ++slot == -2) degree_one_[pushed_++] = ~rows_.targets[e];
      }
    }
    if (lists & kColumnList) {
      counters_->arc_scans += cols_.end(c) - cols_.begin(c);
      for (int64_t e = cols_.begin(c); e < cols_.end(c); ++e) {
        int32_t& slot = mates_.row[cols_.targets[e]];
        if (slot < 0 && ++slot == -2) degree_one_[pushed_++] = cols_.targets[e];
      }
    }
  }

  const Adjacency& rows_;
  const Adjacency& cols_;
  Mates mates_;
  MatchingCounters* counters_;
  // Vertices whose degree was one when pushed, rows + cols slots: a degree
  // reaches one at most once. Stale ones are skipped.
  int32_t* degree_one_;
  int32_t pushed_ = 0;
};

bool Taken(const uint64_t* taken, int32_t c) { return taken[c >> 6] >> (c & 63) & 1; }
void Take(uint64_t* taken, int32_t c) { taken[c >> 6] |= uint64_t{1} << (c & 63); }

// The entry of r's list, read forward or backward, of the first column
// not taken; -1 when there is none. *scans counts the entries read.
int64_t FirstUntaken(const Adjacency& rows, int32_t r, const uint64_t* taken, bool backward,
                     int64_t* scans) {
  const int64_t begin = rows.begin(r), end = rows.end(r);
  if (backward) {
    for (int64_t e = end - 1; e >= begin; --e)
      if (!Taken(taken, rows.targets[e])) {
        *scans += end - e;
        return e;
      }
  } else {
    for (int64_t e = begin; e < end; ++e)
      if (!Taken(taken, rows.targets[e])) {
        *scans += e - begin + 1;
        return e;
      }
  }
  *scans += end - begin;
  return -1;
}

// Which way the greedy start reads the lists. On a random graph either
// way does as well; on an ordered one a vertex's partner often sits at
// one end of its list (the columns' lists come in row order, and a band
// or a block beside the diagonal puts the partner last), and reading from
// the other end takes a block edge for every vertex. The first rows are
// matched both ways on the scratch bits; backward wins when it reads
// clearly fewer entries. Like the look at the degrees, the sample is part
// of choosing the plan: its reads are not counted as arc scans.
bool ReadBackward(const Adjacency& rows, int32_t cols, uint64_t* taken) {
  const int32_t sample = std::min(rows.count, std::max(1024, rows.count / 64));
  int64_t scans[2] = {0, 0};
  for (int way = 0; way < 2; ++way) {
    std::fill(taken, taken + cols / 64 + 1, 0);
    for (int32_t r = 0; r < sample; ++r) {
      const int64_t e = FirstUntaken(rows, r, taken, way == 1, &scans[way]);
      if (e >= 0) Take(taken, rows.targets[e]);
    }
  }
  return 4 * scans[1] < 3 * scans[0];
}

// The rows in order of increasing degree, degrees above kCap together at
// the end, each degree's rows in index order (a counting sort).
void OrderByDegree(const Adjacency& rows, int32_t* order) {
  constexpr int64_t kCap = 64;
  int32_t start[kCap + 2] = {};
  auto bucket = [&](int32_t r) { return std::min(rows.end(r) - rows.begin(r), kCap); };
  for (int32_t r = 0; r < rows.count; ++r) ++start[bucket(r) + 1];
  for (int64_t d = 0; d <= kCap; ++d) start[d + 1] += start[d];
  for (int32_t r = 0; r < rows.count; ++r) order[start[bucket(r)]++] = r;
}

}  // namespace

bool GreedyMatch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                 Workspace* work, GreedyOrder order, int64_t misses) {
  uint64_t* const taken = work->taken.data();
  const bool backward = ReadBackward(rows, cols, taken);
  std::fill(taken, taken + cols / 64 + 1, 0);
  // The rows' order; null for index order.
  int32_t* const sequence = order == GreedyOrder::kByDegree ? work->degree_one.data() : nullptr;
  if (sequence != nullptr) OrderByDegree(rows, sequence);
  int64_t scans = 0, pairs = 0;
  bool gave_up = false;
  // Each row's list is a cache miss of its own; asking for it a few rows
  // ahead keeps several in flight.
  constexpr int32_t kAhead = 16;
  for (int32_t i = 0; i < rows.count; ++i) {
    if (i + kAhead < rows.count) {
      const int32_t ahead = sequence != nullptr ? sequence[i + kAhead] : i + kAhead;
      __builtin_prefetch(rows.targets + rows.begin(ahead));
    }
    const int32_t r = sequence != nullptr ? sequence[i] : i;
    const int64_t e = FirstUntaken(rows, r, taken, backward, &scans);
    if (e < 0) {
      if (rows.end(r) > rows.begin(r) && misses-- == 0) {
        gave_up = true;
        break;
      }
      continue;
    }
    const int32_t c = rows.targets[e];
    Take(taken, c);
    mates.row[r] = c;
    mates.col[c] = r;
    ++pairs;
  }
  counters->arc_scans += scans;
  counters->initial_pairs += pairs;
  *mates.pairs += pairs;
  return !gave_up;
}

void KarpSipserMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                     MatchingCounters* counters, Workspace* work) {
  KarpSipser(rows, cols, mates, counters, work->degree_one.data()).Run();
}

}  // namespace fast::internal
