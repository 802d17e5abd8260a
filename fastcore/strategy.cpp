#include "strategy.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

namespace fast::internal {

namespace {

// The vertices [v, v + kDegreeBlock) of `offsets`: how many have no edge,
// and the largest degree, each degree below 2^31. A block of a fixed
// length in 32 bits, with no exit inside, which the compiler turns into
// vector operations: this pass over both sides' offsets comes before every
// plan, and one vertex at a time it cost as much as a greedy start on a
// sparse graph.
constexpr int32_t kDegreeBlock = 1024;
void MeasureBlock(const int64_t* offsets, int32_t v, int64_t* empty, int64_t* most) {
  const int64_t* const block = offsets + v;
  int32_t none = 0, largest = 0;
  for (int32_t k = 0; k < kDegreeBlock; ++k) {
    // Exact modulo 2^32, and so exact below 2^31.
    const int32_t degree =
        static_cast<int32_t>(static_cast<uint32_t>(block[k + 1]) - static_cast<uint32_t>(block[k]));
    none += degree == 0;
    largest = largest > degree ? largest : degree;
  }
  *empty += none;
  *most = std::max<int64_t>(*most, largest);
}

Degrees Measure(const Adjacency& side) {
  const int64_t* const offsets = side.offsets;
  const int64_t entries = offsets[side.count];
  int64_t empty = 0, most = 0;
  int32_t v = 0;
  if (entries <= INT32_MAX)  // no degree reaches 2^31
    for (; v + kDegreeBlock <= side.count; v += kDegreeBlock)
      MeasureBlock(offsets, v, &empty, &most);
  for (; v < side.count; ++v) {
    const int64_t degree = offsets[v + 1] - offsets[v];
    empty += degree == 0;
    most = std::max(most, degree);
  }
  return {side.count - empty, entries, most};
}

// Whether most of a sample of rows lie on a cycle of four edges: two rows
// that share two columns. Band matrices, grids and meshes are full of them
// (92 to 100% of the rows of genbip's banded, grid and mesh families), and
// there a first-free choice that takes another vertex's partner is mended
// by a short augmenting path nearby; random sparse graphs and honeycombs
// have next to none (not one of 2,000 random rows of the uniform,
// hidden-perfect, deficient and hex-grid families at 1M), and there
// Karp-Sipser's care pays. A property of the graph, whatever its vertex
// order: the sample is evenly spread over the rows' numbers. Rows whose
// neighbours' lists hold more than kReach entries in all are skipped.
bool ShortCycles(const Adjacency& rows, const Adjacency& cols) {
  constexpr int32_t kSample = 64;
  constexpr size_t kReach = 256;
  if (cols.offsets == nullptr) return false;
  std::array<int32_t, kReach> reach;
  int32_t looked = 0, on_cycle = 0;
  for (int32_t i = 0; i < kSample && rows.count > 0; ++i) {
    const int32_t r = static_cast<int32_t>((2 * int64_t{i} + 1) * rows.count / (2 * kSample));
    size_t n = 0;
    bool fits = true;
    for (int64_t e = rows.begin(r); e < rows.end(r) && fits; ++e) {
      const int32_t c = rows.targets[e];
      fits = n + (cols.end(c) - cols.begin(c)) <= kReach;
      for (int64_t f = cols.begin(c); f < cols.end(c) && fits; ++f)
        if (cols.targets[f] != r) reach[n++] = cols.targets[f];
    }
    if (!fits || n == 0) continue;
    std::sort(reach.begin(), reach.begin() + n);
    ++looked;
    on_cycle += std::adjacent_find(reach.begin(), reach.begin() + n) != reach.begin() + n;
  }
  return 2 * on_cycle > looked && looked > 0;
}

// The rows and the columns reached within 2, 4 and 6 edges of a row: at
// most kChainReach of each.
constexpr size_t kChainReach = 1024;

// A set of at most kChainReach vertex numbers, open addressing in twice
// as many slots.
class SmallSet {
 public:
  SmallSet() { slots_.fill(-1); }
  // Adds v; true when it was not there yet. The set must not be full.
  bool Insert(int32_t v) {
    size_t i = (static_cast<uint32_t>(v) * 2654435761u) & (kSlots - 1);
    for (; slots_[i] >= 0; i = (i + 1) & (kSlots - 1))
      if (slots_[i] == v) return false;
    slots_[i] = v;
    ++size_;
    return true;
  }
  bool full() const { return size_ == kChainReach; }
  size_t size() const { return size_; }

 private:
  static constexpr size_t kSlots = 2 * kChainReach;
  std::array<int32_t, kSlots> slots_;
  size_t size_ = 0;
};

// The numbers of rows that lie within 2, 4 and 6 edges of row r (r
// itself included) in reach[1..3]; false when more than kChainReach rows
// or columns are reached.
bool RowsAround(const Adjacency& rows, const Adjacency& cols, int32_t r, size_t reach[4]) {
  SmallSet seen_rows, seen_cols;
  // The rows and the columns reached first at the current step.
  std::array<int32_t, kChainReach> new_rows, new_cols;
  seen_rows.Insert(r);
  new_rows[0] = r;
  size_t width = 1;
  for (int step = 1; step <= 3; ++step) {
    size_t n = 0;
    for (size_t i = 0; i < width; ++i)
      for (int64_t e = rows.begin(new_rows[i]); e < rows.end(new_rows[i]); ++e) {
        if (seen_cols.full()) return false;
        if (seen_cols.Insert(rows.targets[e])) new_cols[n++] = rows.targets[e];
      }
    width = 0;
    for (size_t j = 0; j < n; ++j)
      for (int64_t f = cols.begin(new_cols[j]); f < cols.end(new_cols[j]); ++f) {
        if (seen_rows.full()) return false;
        if (seen_rows.Insert(cols.targets[f])) new_rows[width++] = cols.targets[f];
      }
    reach[step] = seen_rows.size();
  }
  return true;
}

// Whether most of a sample of rows lie along a chain: the rows within 2,
// 4 and 6 edges of each grow by about the same number at each step, as
// along a band matrix or a chain of blocks, where a random graph's grow
// past kChainReach at once, a grid's grow by more at each step, and a
// graph of small components stops growing. Along a chain a greedy start's
// mistakes are mended by augmenting paths as long as the distance along
// the chain from a vertex left free to a free partner, which PF+ then
// walks depth first; a search made at once from a vertex that finds its
// neighbours taken finds free partners just ahead. A property of the
// graph, whatever its vertex order: the sample is evenly spread over the
// rows' numbers.
bool AlongAChain(const Adjacency& rows, const Adjacency& cols) {
  constexpr int32_t kSample = 8;
  if (cols.offsets == nullptr || rows.count == 0) return false;
  int32_t chain = 0;
  // Until most of the sample has said yes, or enough of it no.
  for (int32_t i = 0; i < kSample && 2 * chain <= kSample && 2 * (i - chain) < kSample; ++i) {
    const int32_t r = static_cast<int32_t>((2 * int64_t{i} + 1) * rows.count / (2 * kSample));
    size_t reach[4];
    if (!RowsAround(rows, cols, r, reach)) continue;
    const size_t second = reach[2] - reach[1], third = reach[3] - reach[2];
    chain += third > 0 && 4 * third <= 5 * second;
  }
  return 2 * chain > kSample;
}

// The side the searches start from: the rows when clearly fewer of them
// have an edge (their lists are longer on average, so each finds a free
// partner sooner), else the columns, as sparse maximum transversals do.
Side StartingSide(const Degrees& rows, const Degrees& cols) {
  return ClearlyFewer(rows.non_empty, cols.non_empty) ? Side::kRows : Side::kColumns;
}

// Whether the side's vertices with an edge have at most 8 entries each on
// average.
bool Sparse(const Degrees& side) {
  constexpr int64_t kSparse = 8;  // average degree at most
  return side.entries <= kSparse * std::max<int64_t>(side.non_empty, 1);
}

// Karp-Sipser pays on sparse graphs without hubs (random sparse graphs,
// grids), where a greedy start leaves many long augmenting paths; its two
// scans of every matched pair's lists cost more than they save once the
// average degree is high (a greedy start then misses few pairs) or a few
// hubs hold most edges (each hub's long list is scanned again).
Initialisation Start(const Degrees& side) {
  return Sparse(side) && !HasHubs(side) ? Initialisation::kKarpSipser : Initialisation::kGreedy;
}

// When one side is clearly smaller, a greedy start from it leaves few of
// its vertices free: each one still has partners to spare on the larger
// side when its turn comes, so the augmenting paths left are short and few.
// Karp-Sipser's care for the last free partners pays only where both sides
// must be matched almost whole. (Uniform 250,000 x 225,000, 1M edges,
// shuffled: 0.009 s against Karp-Sipser's 0.038.)
bool Unequal(const Degrees& rows, const Degrees& cols) {
  const int64_t fewer = std::min(rows.non_empty, cols.non_empty);
  const int64_t more = std::max(rows.non_empty, cols.non_empty);
  return ClearlyFewer(fewer, more);
}

}  // namespace

// Whether, for most of a sample of one side's vertices, most neighbours
// lie more than kNear numbers from every neighbour of the next vertex. A
// search's steps go from a vertex to its neighbours' mates, who in a
// numbering along the graph (a band or a grid written in order, breadth
// first, reversed, or sorted by degree, which keeps that order within
// each degree) lie near each other, so that their data shares cache
// lines; in random order a near one is a matter of chance (about 2% of
// the entries of the shuffled 10M banded problem, 40 a row). Vertices
// with more than kLong entries, or none, are not looked at.
bool NeighboursApart(const Adjacency& side) {
  constexpr int32_t kSample = 64;
  constexpr int32_t kNear = 64;
  constexpr int64_t kLong = 64;
  int32_t looked = 0, apart = 0;
  for (int32_t i = 0; i < kSample && side.count > 1; ++i) {
    const int32_t v = static_cast<int32_t>((2 * int64_t{i} + 1) * (side.count - 1) / (2 * kSample));
    const int64_t n = side.end(v) - side.begin(v), m = side.end(v + 1) - side.begin(v + 1);
    if (n == 0 || m == 0 || n > kLong || m > kLong) continue;
    int64_t near = 0;
    for (int64_t e = side.begin(v); e < side.end(v); ++e) {
      bool found = false;
      for (int64_t f = side.begin(v + 1); f < side.end(v + 1) && !found; ++f)
        found = std::abs(int64_t{side.targets[e]} - side.targets[f]) <= kNear;
      near += found;
    }
    ++looked;
    apart += 2 * near < n;
  }
  return 2 * apart > looked;
}

bool DenseGraph(const Look& look) {
  return !Sparse(StartingSide(look.rows, look.cols) == Side::kRows ? look.rows : look.cols);
}

bool ScatteredInMemory(const Adjacency& rows, const Adjacency& cols) {
  constexpr int64_t kLarge = int64_t{1} << 17;
  if (cols.offsets == nullptr || int64_t{rows.count} + cols.count < kLarge) return false;
  return NeighboursApart(rows) || NeighboursApart(cols);
}

bool GreedyByDegree(const Degrees& side) {
  constexpr int64_t kShare = 64;  // the largest list holds this share of the entries at least
  return HasHubs(side) && side.most * kShare >= side.entries;
}

bool HasHubs(const Degrees& side) {
  constexpr int64_t kHub = 16;  // times the average degree
  const int64_t n = std::max<int64_t>(side.non_empty, 1);
  return side.most * n > kHub * side.entries;
}

// The automatic plan: a greedy start when one side is clearly smaller, else
// Karp-Sipser or a greedy start by the degrees of the smaller side; then
// PF+. Where Karp-Sipser would be chosen on a graph full of short cycles,
// its degree-one rule and then a greedy start; on a dense graph along a
// chain, the same with PF+ from both sides, or the degree-one rule alone
// where the numbering scatters the graph. All come after a greedy probe;
// a greedy start is searched from the smaller side, and when PF+ does not
// finish within its passes over the adjacency (long augmenting paths) the
// solve starts over with Karp-Sipser (PF+ from both sides on a dense graph).
MatchingPlan ChoosePlan(const Look& look, const Adjacency& rows, const Adjacency& cols,
                        const MatchingOptions& options) {
  MatchingPlan plan;
  plan.initialisation = options.initialisation;
  plan.search = options.search == Search::kAuto ? Search::kPothenFan : options.search;
  plan.side = options.side;
  if (plan.side != Side::kAuto && plan.initialisation != Initialisation::kAuto) return plan;
  const Side smaller = StartingSide(look.rows, look.cols);
  // The columns' lists are built in row order, so first-free choices made
  // from them crowd onto the low-numbered rows; the rows' lists keep the
  // file's order. Karp-Sipser, which makes such choices for a large share of
  // its pairs, starts from the rows unless the columns are clearly fewer.
  const bool columns_fewer = ClearlyFewer(look.cols.non_empty, look.rows.non_empty);
  const Side karp_sipser_side = columns_fewer ? Side::kColumns : Side::kRows;
  const bool automatic = plan.initialisation == Initialisation::kAuto;
  bool dense_chain = false;
  if (automatic) {
    const bool unequal = Unequal(look.rows, look.cols);
    const Degrees& side = smaller == Side::kRows ? look.rows : look.cols;
    plan.initialisation = unequal ? Initialisation::kGreedy : Start(side);
    if (plan.initialisation == Initialisation::kKarpSipser && ShortCycles(rows, cols))
      plan.initialisation = Initialisation::kKarpSipserThenGreedy;
    else if (plan.initialisation == Initialisation::kGreedy && !unequal && !HasHubs(side) &&
             AlongAChain(rows, cols))
      dense_chain = true;
  }
  // Along a dense chain numbered along it (a band written in order, breadth
  // first, by degree or reversed), the degree-one rule and a greedy start
  // leave holes that PF+ from both sides mends reading each list about once
  // (genbip's 10M band in breadth-first order: 5.1M entries, where PF+ from
  // nothing read 15.2M); where the numbering scatters it, searches in
  // flight from nothing but the degree-one rule do better.
  if (dense_chain)
    plan.initialisation = ScatteredInMemory(rows, cols) ? Initialisation::kDegreeOne
                                                        : Initialisation::kKarpSipserThenGreedy;
  const bool karp_sipser = plan.initialisation == Initialisation::kKarpSipser;
  const bool degree_one =
      karp_sipser || plan.initialisation == Initialisation::kKarpSipserThenGreedy;
  if (plan.side == Side::kAuto) plan.side = degree_one ? karp_sipser_side : smaller;
  if (automatic && options.search == Search::kAuto) {
    plan.greedy_probe = degree_one || dense_chain;
    if (karp_sipser || (dense_chain && degree_one))
      plan.search = Search::kPothenFanBothSides;
    else
      plan.restart_side = karp_sipser_side;
    // After the starts chosen for short cycles and chains PF+ walks long
    // augmenting paths, a chain of misses a step. After a plain greedy
    // start on a sparse graph without a power law's hubs (many small
    // components, block-diagonal matrices) each search is short but
    // every step misses: the shuffled 1M block-diagonal problem 0.018 s
    // to 0.013, components 0.021 to 0.017 (CPU 1). Where the lists are
    // long or hubs join the searches, searches in flight cut each other
    // short, so that fewer failed ones prove their trees dead: the 10M
    // deficient problem as written read 22.8M entries instead of 13.4M
    // (0.050 s to 0.098), the shuffled 10M block-diagonal one 41.0M
    // instead of 6.9M, the 1M power law on both sides as written 787K
    // instead of 624K.
    const bool long_paths = plan.initialisation == Initialisation::kKarpSipserThenGreedy ||
                            plan.initialisation == Initialisation::kDegreeOne;
    const Degrees& from = plan.side == Side::kRows ? look.rows : look.cols;
    const bool short_searches =
        plan.initialisation == Initialisation::kGreedy && Sparse(from) && !GreedyByDegree(from);
    if ((long_paths || short_searches) && ScatteredInMemory(rows, cols))
      plan.search = Search::kPothenFanInterleaved;
  }
  return plan;
}

// After a greedy start PF+ ends within one pass where it pays at all (the
// restart rule's figures in docs/fast.md). After the degree-one rule and a
// greedy start on a graph full of short cycles it needs more: 1.2 passes on
// the shuffled 1M banded problem, 1.9 on the shuffled 1M grid, 2.1 on the
// shuffled 10M grid and 2.5 on a shuffled grid without its diagonal; four
// leave a margin and still bound what a wrong guess costs. After the
// degree-one rule alone, PF+'s first phase does a greedy start's work
// too: 1.2 to 1.8 passes on genbip's bands of 250,000 rows (widths 10 to
// 80, shuffled or not); three leave a margin.
int64_t PassesBeforeRestart(Initialisation start) {
  if (start == Initialisation::kDegreeOne) return 3;
  return start == Initialisation::kKarpSipserThenGreedy ? 4 : 1;
}

// Every vertex left free that stays free costs PF+ a failed search, and
// the failed searches of a phase cut each other short (each tainted by
// the others' marks), so a deficient graph is explored again phase after
// phase before its trees die. Push-relabel's global relabelling proves a
// whole region hopeless in one breadth-first pass. Karp-Sipser leaves few
// vertices free where a nearly perfect matching exists (sparse random
// graphs and grids: 1 to 3% of the bound); a sixteenth of the bound left
// free means a graph whose maximum leaves many vertices free.
Search SearchAfterKarpSipser(const Look& look, int64_t pairs) {
  constexpr int64_t kManyFree = 16;  // free vertices, as a share of the bound
  return (look.bound - pairs) * kManyFree > look.bound ? Search::kPushRelabelEitherSide
                                                       : Search::kPothenFanBothSides;
}

bool NeedsColumnSide(const MatchingOptions& options) {
  return options.side != Side::kRows || options.initialisation == Initialisation::kAuto ||
         options.initialisation == Initialisation::kKarpSipser ||
         options.initialisation == Initialisation::kKarpSipserThenGreedy ||
         options.initialisation == Initialisation::kDegreeOne ||
         (options.search != Search::kAuto && options.search != Search::kPothenFan &&
          options.search != Search::kPothenFanInterleaved && options.search != Search::kSweeps);
}

Look LookAt(const Adjacency& rows, const Adjacency& cols) {
  Look look;
  look.rows = Measure(rows);
  if (cols.offsets != nullptr) look.cols = Measure(cols);
  const int64_t matchable_cols = cols.offsets != nullptr ? look.cols.non_empty : cols.count;
  look.bound = std::min(look.rows.non_empty, matchable_cols);
  return look;
}

}  // namespace fast::internal

namespace fast {

namespace {

// One table per choice: its names both ways. kAuto is named but not looked
// up, since "auto" stands for the whole plan, not one of its parts.
template <class Choice>
struct Named {
  const char* name;
  Choice choice;
};

constexpr Named<Initialisation> kStarts[] = {{"none", Initialisation::kNone},
                                             {"greedy", Initialisation::kGreedy},
                                             {"ks", Initialisation::kKarpSipser},
                                             {"ks-greedy", Initialisation::kKarpSipserThenGreedy},
                                             {"ks-one", Initialisation::kDegreeOne}};
constexpr Named<Search> kSearches[] = {{"pf", Search::kPothenFan},
                                       {"pr", Search::kPushRelabel},
                                       {"pr-either", Search::kPushRelabelEitherSide},
                                       {"pf-pr", Search::kPothenFanThenPushRelabel},
                                       {"pf-both", Search::kPothenFanBothSides},
                                       {"pf-interleaved", Search::kPothenFanInterleaved},
                                       {"sweeps", Search::kSweeps}};
constexpr Named<Side> kSides[] = {{"first", Side::kRows}, {"second", Side::kColumns}};

template <class Choice, size_t N>
const char* Lookup(const Named<Choice> (&table)[N], Choice choice) {
  for (const Named<Choice>& entry : table)
    if (entry.choice == choice) return entry.name;
  return "auto";
}

template <class Choice, size_t N>
bool Lookup(const Named<Choice> (&table)[N], const std::string& name, Choice* choice) {
  for (const Named<Choice>& entry : table) {
    if (name != entry.name) continue;
    *choice = entry.choice;
    return true;
  }
  return false;
}

}  // namespace

const char* NameOf(Initialisation start) { return Lookup(kStarts, start); }
const char* NameOf(Search search) { return Lookup(kSearches, search); }
const char* NameOf(Side side) { return Lookup(kSides, side); }
bool FromName(const std::string& name, Initialisation* start) {
  return Lookup(kStarts, name, start);
}
bool FromName(const std::string& name, Search* search) { return Lookup(kSearches, name, search); }
bool FromName(const std::string& name, Side* side) { return Lookup(kSides, name, side); }

}  // namespace fast
