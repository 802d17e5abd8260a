// The greedy start: each vertex of the starting side takes its first free
// neighbour.
#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>

#include "matching_steps.h"
#include "team.h"

namespace fast::internal {

namespace {

// The entry of r's list, read forward or backward, of the first column
// not taken; -1 when there is none. *scans counts the entries read.
// Inlined: a call cost the greedy start a sixth of its instructions.
template <bool kBackward>
[[gnu::always_inline]] inline int64_t FirstUntaken(const int64_t* offsets, const int32_t* targets,
                                                   int32_t r, const uint64_t* taken,
                                                   int64_t* scans) {
  const int64_t begin = offsets[r], end = offsets[r + 1];
  if constexpr (kBackward) {
    for (int64_t e = end - 1; e >= begin; --e)
      if (!Marked(taken, targets[e])) {
        *scans += end - e;
        return e;
      }
  } else {
    for (int64_t e = begin; e < end; ++e)
      if (!Marked(taken, targets[e])) {
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
// the other end takes a block edge for every vertex. Runs of consecutive
// rows spread evenly over the numbers are matched both ways on the scratch
// bits; backward wins when it reads clearly fewer entries. Runs, since a
// first-free choice collides with those of the rows just before it; spread,
// since what the first rows prefer may cost the rest: the columns of the
// first block of genbip's deficient matrix as written list rows of their
// own block first and rows that the last block needs at the end, and read
// backward (which the first rows alone favour, 9,913 entries against
// 4,971) they took 50,000 of those rows, leaving as many of the last
// block's columns for PF+ (10M entries: 0.050 s to 0.019, CPU 1). And
// fewer by a share of the lists worth having: where a vertex's partner
// sits last, reading backward saves a large part of every list (a tenth
// and more on the sparse ordered matrices, nearly half on the long paths);
// a saving of an entry a row on long lists says only that the rows
// numbered together share their first neighbour, as in a breadth-first
// numbering, where the rows found from one column list it first and
// collide on it read forward. On the 10M uniform matrix so numbered (40
// entries a row) the sample read 7,948 entries forward and 4,403 backward,
// and the pass read backward left 14,411 columns free instead of 4,392:
// 15.6M entries read in all instead of 9.5M. Like the look at the
// degrees, the sample is part of choosing the plan: its reads are not
// counted as arc scans.
bool ReadBackward(const Adjacency& rows, int32_t cols, uint64_t* taken) {
  const int32_t runs = std::min(8, rows.count);
  const int32_t run = runs == 0 ? 0 : std::min(rows.count, std::max(1024, rows.count / 64)) / runs;
  constexpr int64_t kShare = 20;  // the saving is at least this share of the sampled lists
  int64_t scans[2] = {0, 0}, lists = 0;
  for (int way = 0; way < 2; ++way) {
    std::fill(taken, taken + cols / 64 + 1, 0);
    for (int32_t k = 0; k < runs; ++k) {
      const int32_t first = static_cast<int32_t>(int64_t{k} * rows.count / runs);
      if (way == 0) lists += rows.begin(first + run) - rows.begin(first);
      for (int32_t r = first; r < first + run; ++r) {
        const int64_t e =
            way == 1 ? FirstUntaken<true>(rows.offsets, rows.targets, r, taken, &scans[1])
                     : FirstUntaken<false>(rows.offsets, rows.targets, r, taken, &scans[0]);
        if (e >= 0) Mark(taken, rows.targets[e]);
      }
    }
  }
  return 4 * scans[1] < 3 * scans[0] && kShare * (scans[0] - scans[1]) >= lists;
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

// Each row's list is a cache miss of its own; asking for it this many rows
// ahead keeps several in flight.
constexpr int32_t kAhead = 16;

// Entries a pass with a limit of scans a row may read beyond it: the first
// rows' lists, whose columns are all free, set no pace.
constexpr int64_t kGraceScans = 1024;

// The greedy start on a team: the members take the rows in chunks and
// claim a column by setting its bit atomically, so that each column is
// taken, and its mate written, by one member.
class ParallelGreedy {
 public:
  ParallelGreedy(const Adjacency& rows, const int32_t* sequence, uint64_t* taken, bool backward,
                 Mates mates, int64_t misses, int64_t scans_per_row)
      : rows_(rows),
        sequence_(sequence),
        taken_(taken),
        backward_(backward),
        mates_(mates),
        misses_(misses),
        scans_per_row_(scans_per_row) {}

  void operator()(int) {
    int64_t scans = 0, pairs = 0, allowance = scans_per_row_ > 0 ? kGraceScans : INT64_MAX;
    while (!gave_up_.load(std::memory_order_relaxed)) {
      const int32_t first = next_.fetch_add(kChunk, std::memory_order_relaxed);
      if (first >= rows_.count) break;
      const int32_t last = std::min(first + kChunk, rows_.count);
      for (int32_t i = first; i < last; ++i) {
        if (i + kAhead < last) __builtin_prefetch(rows_.targets + rows_.begin(Row(i + kAhead)));
        const int32_t r = Row(i);
        const int64_t e = ClaimUntaken(r, &scans);
        if (e >= 0) {
          mates_.row[r] = rows_.targets[e];
          mates_.col[rows_.targets[e]] = r;
          ++pairs;
        } else if (rows_.end(r) > rows_.begin(r) && missed_.fetch_add(1) == misses_) {
          gave_up_ = true;
          break;
        }
      }
      // Each member's own rows and scans.
      if (scans_per_row_ > 0) allowance += scans_per_row_ * (last - first);
      if (scans > allowance) gave_up_ = true;
    }
    scans_ += scans;
    pairs_ += pairs;
  }

  bool gave_up() const { return gave_up_; }
  int64_t scans() const { return scans_; }
  int64_t pairs() const { return pairs_; }

 private:
  static constexpr int32_t kChunk = 1024;

  int32_t Row(int32_t i) const { return sequence_ != nullptr ? sequence_[i] : i; }

  // FirstUntaken, taking the column it finds; another member may take a
  // column between the look at its bit and the claim, and then the scan
  // goes on.
  int64_t ClaimUntaken(int32_t r, int64_t* scans) {
    const int64_t begin = rows_.begin(r), end = rows_.end(r);
    const int64_t step = backward_ ? -1 : 1;
    const int64_t first = backward_ ? end - 1 : begin, stop = backward_ ? begin - 1 : end;
    for (int64_t e = first; e != stop; e += step) {
      const int32_t c = rows_.targets[e];
      uint64_t* word = taken_ + (c >> 6);
      const uint64_t bit = uint64_t{1} << (c & 63);
      if (Load(word) & bit || __atomic_fetch_or(word, bit, __ATOMIC_RELAXED) & bit) continue;
      *scans += (e - first) * step + 1;
      return e;
    }
    *scans += end - begin;
    return -1;
  }

  const Adjacency& rows_;
  const int32_t* sequence_;  // the rows' order; null for index order
  uint64_t* taken_;
  const bool backward_;
  Mates mates_;
  const int64_t misses_;
  const int64_t scans_per_row_;
  std::atomic<int32_t> next_{0};  // the first row not yet handed out
  std::atomic<int64_t> missed_{0};
  std::atomic<bool> gave_up_{false};
  std::atomic<int64_t> scans_{0}, pairs_{0};
};

// What one greedy pass did; `forgiven`: the misses it did not count.
struct GreedyPass {
  int64_t scans = 0, pairs = 0;
  bool gave_up = false;
  int64_t forgiven = 0;
};

// The misses a random graph would almost never have: a row of d entries
// that finds them all taken, with `pairs` of the `cols` columns taken, has
// a chance of about (pairs / cols)^d of doing so there. A random graph's
// misses come late in the pass, when most columns are taken; those of a
// block with fewer columns than rows come as soon as its columns are,
// however few the others taken (genbip's 10M deficient matrix: its 50,000
// surplus rows, 40 entries each, miss with a fifth of the columns taken, a
// chance of 10^-28). For each list length, the pairs below which a miss
// has a chance under 2^-20; lists longer than the table use its last
// length, which forgives fewer. A table, since a tall matrix's pass may
// miss on millions of rows (the 10M mesh: 1.6M).
class UnlikelyMisses {
 public:
  explicit UnlikelyMisses(int32_t cols) {
    constexpr double kBits = 20;
    for (int64_t d = 1; d <= kLongest; ++d)
      below_[d] = static_cast<int64_t>(static_cast<double>(cols) *
                                       std::exp2(-kBits / static_cast<double>(d)));
  }
  bool Unlikely(int64_t degree, int64_t pairs) const {
    return pairs < below_[std::min(degree, kLongest)];
  }

 private:
  static constexpr int64_t kLongest = 64;
  int64_t below_[kLongest + 1] = {};
};

// One pass on one thread. Compiled for each way of reading and each order
// of the rows, with the arrays in locals: the pass costs a few dozen
// instructions a row, and a test of the way or the order, or a reload of a
// pointer after each store of a mate, was a fifth of them; so is the limit
// of scans a row (kLimited), which only the greedy probe asks for, and the
// forgiving of unlikely misses (kForgiving), which only the rows alone ask
// for (a tall matrix misses on most rows: the 10M few-to-many problem,
// 225,000 of 250,000, took a tenth longer with the test in every pass).
template <bool kBackward, bool kInSequence, bool kLimited, bool kForgiving>
GreedyPass SerialGreedy(const Adjacency& rows, const int32_t* sequence, uint64_t* taken,
                        Mates mates, int64_t misses, int64_t scans_per_row,
                        const UnlikelyMisses* forgive) {
  const int64_t* const offsets = rows.offsets;
  const int32_t* const targets = rows.targets;
  int32_t* const row_mates = mates.row;
  int32_t* const col_mates = mates.col;
  const int32_t count = rows.count;
  int64_t scans = 0, pairs = 0, forgiven = 0;
  // What the rows so far may read: the grace and their share.
  int64_t allowance = kGraceScans;
  bool gave_up = false;
  for (int32_t i = 0; i < count; ++i) {
    if (i + kAhead < count)
      __builtin_prefetch(targets + offsets[kInSequence ? sequence[i + kAhead] : i + kAhead]);
    const int32_t r = kInSequence ? sequence[i] : i;
    const int64_t e = FirstUntaken<kBackward>(offsets, targets, r, taken, &scans);
    if (e < 0) {
      const int64_t degree = offsets[r + 1] - offsets[r];
      if (degree == 0) continue;
      if constexpr (kForgiving) {
        if (forgive->Unlikely(degree, pairs)) {
          ++forgiven;
          continue;
        }
      }
      if (misses-- == 0) {
        gave_up = true;
        break;
      }
      continue;
    }
    if constexpr (kLimited) {
      allowance += scans_per_row;
      if (scans > allowance) {
        gave_up = true;
        break;
      }
    }
    const int32_t c = targets[e];
    Mark(taken, c);
    row_mates[r] = c;
    col_mates[c] = r;
    ++pairs;
  }
  return {scans, pairs, gave_up, forgiven};
}

template <bool kBackward, bool kInSequence>
GreedyPass SerialGreedy(const Adjacency& rows, const int32_t* sequence, uint64_t* taken,
                        Mates mates, int64_t misses, int64_t scans_per_row,
                        const UnlikelyMisses* forgive) {
  if (scans_per_row > 0)
    return SerialGreedy<kBackward, kInSequence, true, false>(rows, sequence, taken, mates, misses,
                                                             scans_per_row, nullptr);
  if (forgive != nullptr)
    return SerialGreedy<kBackward, kInSequence, false, true>(rows, sequence, taken, mates, misses,
                                                             0, forgive);
  return SerialGreedy<kBackward, kInSequence, false, false>(rows, sequence, taken, mates, misses, 0,
                                                            nullptr);
}

// With `forgive`, the misses it finds unlikely are forgiven.
GreedyPass SerialGreedy(const Adjacency& rows, const int32_t* sequence, uint64_t* taken,
                        bool backward, Mates mates, int64_t misses, int64_t scans_per_row,
                        const UnlikelyMisses* forgive) {
  if (sequence != nullptr)
    return backward ? SerialGreedy<true, true>(rows, sequence, taken, mates, misses, scans_per_row,
                                               forgive)
                    : SerialGreedy<false, true>(rows, sequence, taken, mates, misses, scans_per_row,
                                                forgive);
  return backward ? SerialGreedy<true, false>(rows, sequence, taken, mates, misses, scans_per_row,
                                              forgive)
                  : SerialGreedy<false, false>(rows, sequence, taken, mates, misses, scans_per_row,
                                               forgive);
}

// One pass on mates that are all free, on the team when there is one
// (which forgives no miss).
GreedyPass Pass(const Adjacency& rows, int32_t cols, const int32_t* sequence, bool backward,
                Mates mates, Workspace* work, int64_t misses, int64_t scans_per_row, bool forgive) {
  uint64_t* const taken = work->taken.data();
  std::fill(taken, taken + cols / 64 + 1, 0);
  if (work->team == nullptr) {
    if (!forgive)
      return SerialGreedy(rows, sequence, taken, backward, mates, misses, scans_per_row, nullptr);
    const UnlikelyMisses unlikely(cols);
    return SerialGreedy(rows, sequence, taken, backward, mates, misses, scans_per_row, &unlikely);
  }
  ParallelGreedy run(rows, sequence, taken, backward, mates, misses, scans_per_row);
  work->team->Run(run);
  return {run.scans(), run.pairs(), run.gave_up()};
}

// Whether each row i of [first, last) lists column i, its list read from
// the end when kBackward; *scans counts the entries read, up to the column
// found or to the end of the first list that lacks it. One loop with its
// count in a register: on a grid every list is a few entries long, and a
// call a row cost twice a pass over the lists (the 10M grid as written).
template <bool kBackward>
bool ListOwnColumns(const Adjacency& rows, int32_t first, int32_t last, int64_t* scans) {
  const int64_t* const offsets = rows.offsets;
  const int32_t* const targets = rows.targets;
  int64_t read = 0;
  bool found = true;
  for (int32_t i = first; i < last && found; ++i) {
    const int64_t begin = offsets[i], end = offsets[i + 1];
    if constexpr (kBackward) {
      int64_t e = end - 1;
      while (e >= begin && targets[e] != i) --e;
      read += end - e - (e < begin);
      found = e >= begin;
    } else {
      int64_t e = begin;
      while (e < end && targets[e] != i) ++e;
      read += e - begin + (e < end);
      found = e < end;
    }
  }
  *scans += read;
  return found;
}

bool ListOwnColumns(const Adjacency& rows, int32_t first, int32_t last, bool backward,
                    int64_t* scans) {
  return backward ? ListOwnColumns<true>(rows, first, last, scans)
                  : ListOwnColumns<false>(rows, first, last, scans);
}

}  // namespace

// Matrices from meshes and grids, numbered as their generator wrote them,
// often pair each row with the column of its number, which a greedy start
// finds only after reading past the entries of earlier rows (three a column
// on a grid numbered row by row, to find the diagonal after the row above
// and the one before). A few rows spread over the numbers are looked at
// first, so that a diagonal that holds over a leading block alone (genbip's
// deficient family as written) is given up before that block is read; a
// small side has no sample, which would read its few lists again. The
// sample also tells from which end to read the lists: the columns' lists
// come in row order, and where each column's own row comes after the rows
// of the block before it (genbip's long paths and ks-hard as written) the
// lists are read from the end, one entry each.
bool DiagonalMatch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters) {
  constexpr int64_t kSample = 64, kSpacing = 16;  // rows looked at first; at least apart
  const int32_t count = std::min(rows.count, cols);
  const int64_t sample = std::min<int64_t>(kSample, count / kSpacing);
  int64_t scans = 0, sampled_lists = 0;
  bool diagonal = true;
  for (int64_t k = 0; k < sample && diagonal; ++k) {
    const int32_t i = static_cast<int32_t>((2 * k + 1) * count / (2 * sample));
    diagonal = ListOwnColumns(rows, i, i + 1, false, &scans);
    sampled_lists += rows.end(i) - rows.begin(i);
  }
  // Read from the start, the sample's rows read `scans` entries; from the
  // end, one more than each list's length minus that.
  const bool backward = sample > 0 && 2 * scans > sampled_lists + sample;
  diagonal = diagonal && ListOwnColumns(rows, 0, count, backward, &scans);
  counters->arc_scans += scans;
  if (!diagonal) return false;
  for (int32_t i = 0; i < count; ++i) mates.row[i] = mates.col[i] = i;
  *mates.pairs += count;
  counters->initial_pairs += count;
  return true;
}

bool GreedyMatch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                 Workspace* work, GreedyOrder order, int64_t misses, int64_t scans_per_row,
                 int64_t* forgiven) {
  const bool forgive = forgiven != nullptr;
  const bool backward = ReadBackward(rows, cols, work->taken.data());
  // The rows' order; null for index order.
  int32_t* const sequence = order == GreedyOrder::kByDegree ? work->degree_one.data() : nullptr;
  if (sequence != nullptr) OrderByDegree(rows, sequence);
  GreedyPass pass =
      Pass(rows, cols, sequence, backward, mates, work, misses, scans_per_row, forgive);
  if (pass.gave_up && backward) {
    // The sample sees the first rows only. On a grid numbered row by row
    // a column's list ends with the row of the next grid row: read
    // backward, each column takes that row, and the last grid row's
    // columns find every row of theirs taken, where reading forward takes
    // the diagonal. So a pass that gives up reading backward is read again
    // forward; its scans count as work thrown away.
    counters->arc_scans += pass.scans;
    std::fill(mates.row, mates.row + rows.count, -1);
    std::fill(mates.col, mates.col + cols, -1);
    pass = Pass(rows, cols, sequence, false, mates, work, misses, scans_per_row, forgive);
  }
  counters->arc_scans += pass.scans;
  counters->initial_pairs += pass.pairs;
  *mates.pairs += pass.pairs;
  if (forgive) *forgiven = pass.forgiven;
  return !pass.gave_up;
}

}  // namespace fast::internal
