// The matching core on graphs built by hand and on random ones, against a
// plain augmenting-path count, for every initialisation and search; and
// both solvers' cancellation.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <new>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include "fastcore/dulmage_mendelsohn.h"
#include "fastcore/matching.h"
#include "fastcore/matching_steps.h"
#include "fastcore/strategy.h"
#include "fastcore/unit_flow.h"
#include "vertex_order.h"

namespace {

// Counts this thread's allocations while set.
thread_local bool counting_allocations = false;
thread_local int64_t allocations = 0;

}  // namespace

// GCC sees the free() of what the operator new below returned once both
// are inlined into a caller; they are a matched pair.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(size_t size) {
  if (counting_allocations) ++allocations;
  if (void* p = std::malloc(size > 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

struct Rows {
  int32_t cols = 0;
  std::vector<int64_t> offsets{0};
  std::vector<int32_t> targets;

  explicit Rows(int32_t cols, const std::vector<std::vector<int32_t>>& lists) : cols(cols) {
    for (const auto& list : lists) {
      targets.insert(targets.end(), list.begin(), list.end());
      offsets.push_back(static_cast<int64_t>(targets.size()));
    }
  }
  fast::BipartiteGraph graph() const {
    return {static_cast<int32_t>(offsets.size() - 1), cols, offsets.data(), targets.data()};
  }
};

// The columns' lists of g, each in row order.
Rows Transposed(const Rows& g) {
  std::vector<std::vector<int32_t>> lists(g.cols);
  for (int32_t r = 0; r + 1 < static_cast<int32_t>(g.offsets.size()); ++r)
    for (int64_t e = g.offsets[r]; e < g.offsets[r + 1]; ++e) lists[g.targets[e]].push_back(r);
  return Rows(static_cast<int32_t>(g.offsets.size() - 1), lists);
}

// Kuhn's algorithm: one augmenting-path search per row; the columns' mates.
std::vector<int32_t> KuhnColumnMates(const Rows& g) {
  std::vector<int32_t> col_mate(g.cols, -1);
  std::vector<char> seen;
  std::function<bool(int32_t)> augment = [&](int32_t r) {
    for (int64_t e = g.offsets[r]; e < g.offsets[r + 1]; ++e) {
      int32_t c = g.targets[e];
      if (seen[c]) continue;
      seen[c] = 1;
      if (col_mate[c] < 0 || augment(col_mate[c])) return col_mate[c] = r, true;
    }
    return false;
  };
  for (int32_t r = 0; r + 1 < static_cast<int32_t>(g.offsets.size()); ++r) {
    seen.assign(g.cols, 0);
    augment(r);
  }
  return col_mate;
}

int64_t ReferenceSize(const Rows& g) {
  const std::vector<int32_t> col_mate = KuhnColumnMates(g);
  return std::count_if(col_mate.begin(), col_mate.end(), [](int32_t r) { return r >= 0; });
}

const fast::Initialisation kInitialisations[] = {fast::Initialisation::kAuto,
                                                 fast::Initialisation::kNone,
                                                 fast::Initialisation::kGreedy,
                                                 fast::Initialisation::kKarpSipser,
                                                 fast::Initialisation::kKarpSipserThenGreedy,
                                                 fast::Initialisation::kDegreeOne};

const fast::Search kSearches[] = {fast::Search::kAuto,
                                  fast::Search::kPothenFan,
                                  fast::Search::kPushRelabel,
                                  fast::Search::kPushRelabelEitherSide,
                                  fast::Search::kPothenFanThenPushRelabel,
                                  fast::Search::kPothenFanBothSides,
                                  fast::Search::kPothenFanInterleaved,
                                  fast::Search::kSweeps};

const fast::Side kSides[] = {fast::Side::kAuto, fast::Side::kRows, fast::Side::kColumns};

// Every search from every side: each ends the matching differently.
std::vector<fast::MatchingOptions> SearchesAndSides() {
  std::vector<fast::MatchingOptions> plans;
  for (auto search : kSearches)
    for (auto side : kSides) {
      plans.emplace_back();
      plans.back().search = search;
      plans.back().side = side;
    }
  return plans;
}

// Every plan finds a maximum matching of `expected` pairs and proves it;
// `threads` > 1 runs the parallel steps however small the graph.
void ExpectMaximum(const Rows& g, int64_t expected, int threads = 1) {
  for (auto initialisation : kInitialisations)
    for (auto search : kSearches)
      for (auto side : kSides)
        for (double relabel_factor : {1.0, 0.01}) {
          fast::MatchingOptions options;
          options.threads = threads;
          options.parallel_min_entries = 0;
          options.initialisation = initialisation;
          options.search = search;
          options.side = side;
          options.global_relabel_factor = relabel_factor;
          fast::MaximumMatching matching(g.graph(), options);
          ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
          EXPECT_EQ(matching.size(), expected)
              << "initialisation " << int(initialisation) << ", search " << int(search) << ", side "
              << int(side) << ", threads " << threads;
          EXPECT_EQ(matching.plan().threads, threads);
          for (int32_t mate : matching.row_mates()) EXPECT_GE(mate, -1);
          for (int32_t mate : matching.col_mates()) EXPECT_GE(mate, -1);
          EXPECT_TRUE(matching.CheckResult());
        }
}

// Every choice but kAuto has a name that reads back as itself, so the
// benchmark's plan names are what fastmatch -a takes.
TEST(FastMatching, ChoiceNamesReadBack) {
  using fast::Initialisation;
  using fast::Search;
  using fast::Side;
  for (Initialisation start :
       {Initialisation::kNone, Initialisation::kGreedy, Initialisation::kKarpSipser,
        Initialisation::kKarpSipserThenGreedy, Initialisation::kDegreeOne}) {
    Initialisation read = Initialisation::kAuto;
    EXPECT_TRUE(fast::FromName(fast::NameOf(start), &read));
    EXPECT_EQ(read, start);
  }
  for (Search search : {Search::kPothenFan, Search::kPushRelabel, Search::kPushRelabelEitherSide,
                        Search::kPothenFanThenPushRelabel, Search::kPothenFanBothSides,
                        Search::kPothenFanInterleaved, Search::kSweeps}) {
    Search read = Search::kAuto;
    EXPECT_TRUE(fast::FromName(fast::NameOf(search), &read));
    EXPECT_EQ(read, search);
  }
  for (Side side : {Side::kRows, Side::kColumns}) {
    Side read = Side::kAuto;
    EXPECT_TRUE(fast::FromName(fast::NameOf(side), &read));
    EXPECT_EQ(read, side);
  }
  Search search = Search::kPothenFan;
  EXPECT_STREQ(fast::NameOf(Search::kAuto), "auto");
  EXPECT_FALSE(fast::FromName("auto", &search));
  EXPECT_FALSE(fast::FromName("pf-", &search));
  EXPECT_EQ(search, Search::kPothenFan);
}

TEST(FastMatching, GreedyTrapNeedsAnAugmentingPath) {
  // Row 0 takes column 0 greedily; only 0-1, 1-0 matches both rows.
  ExpectMaximum(Rows(2, {{0, 1}, {0}}), 2);
}

// Column 0 is joined to all 32 rows, column i + 1 to row i alone. From the
// columns in index order the hub would take row 0, the only neighbour of
// column 1 (33 scans); with the hub holding half of the entries the greedy
// start takes the columns of degree one first (32 pairs at 32 scans) and
// reads the hub's 32 entries last, in vain.
TEST(FastMatching, GreedyStartTakesHubsLast) {
  std::vector<std::vector<int32_t>> lists;
  for (int32_t r = 0; r < 32; ++r) lists.push_back({0, r + 1});
  Rows g(33, lists);
  fast::MatchingOptions options;
  options.initialisation = fast::Initialisation::kGreedy;
  options.search = fast::Search::kPothenFan;
  options.side = fast::Side::kColumns;
  fast::MaximumMatching matching(g.graph(), options);
  ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
  EXPECT_EQ(matching.size(), 32);
  EXPECT_EQ(matching.counters().initial_pairs, 32);
  EXPECT_EQ(matching.counters().arc_scans, 64);
}

TEST(FastMatching, LongAlternatingPathAndParallelEdges) {
  ExpectMaximum(Rows(4, {{0, 1}, {1, 2, 1}, {2, 3}, {0}}), 4);
  ExpectMaximum(Rows(1, {{0, 0, 0}, {0}}), 1);
}

TEST(FastMatching, ColumnsRelabelledAfterAGapStayAlive) {
  // Push-relabel without a start: a gap appears at a label that a later
  // relabelling fills again; columns labelled just above it afterwards
  // still reach a free column.
  ExpectMaximum(Rows(7, {{6}, {6}, {3, 5}, {3, 5}, {6, 1, 6}, {4, 4, 2, 2}, {6, 0}, {3, 6, 4}}), 7);
}

TEST(FastMatching, SearchCutShortByAnAugmentedOneIsNotDead) {
  // Greedy leaves rows 4 and 5 free. PF+ from row 4 leaves column 0's
  // subtree and augments through column 1; row 5's search then meets
  // column 1 below column 3 and fails. That failure proves nothing: after
  // the flip 5-3, 2-1, 4-2, 3-5 augments. Marking column 3 dead would
  // lose that pair.
  ExpectMaximum(Rows(6, {{0}, {1, 4}, {3, 1}, {2, 5}, {0, 1, 2}, {3}}), 6);
}

// t rows and columns, complete, matched by the greedy start; k more rows
// with column 0 alone, which no augmenting path reaches; then rows
// {t, t + 1} and {t}, a greedy trap that PF+'s first phase repairs, so
// that a second phase runs.
Rows DeficientBlockAndATrap(int32_t t, int32_t k) {
  std::vector<std::vector<int32_t>> lists(t + k);
  for (int32_t r = 0; r < t; ++r)
    for (int32_t c = 0; c < t; ++c) lists[r].push_back(c);
  for (int32_t r = t; r < t + k; ++r) lists[r] = {0};
  lists.push_back({t, t + 1});
  lists.push_back({t});
  return Rows(t + 2, lists);
}

// The counters of a solve from the rows, checked maximum.
fast::MatchingCounters FromRows(const Rows& g, fast::Search search,
                                fast::Initialisation start = fast::Initialisation::kGreedy) {
  fast::MatchingOptions options;
  options.initialisation = start;
  options.search = search;
  options.side = fast::Side::kRows;
  fast::MaximumMatching matching(g.graph(), options);
  EXPECT_EQ(matching.Solve(), fast::Status::kOptimal);
  EXPECT_EQ(matching.size(), ReferenceSize(g));
  EXPECT_TRUE(matching.CheckResult());
  return matching.counters();
}

// The entries a solve from the rows read, checked maximum.
int64_t ArcScans(const Rows& g, fast::Search search,
                 fast::Initialisation start = fast::Initialisation::kGreedy) {
  return FromRows(g, search, start).arc_scans;
}

TEST(FastMatching, FailedTreesAreExploredOnce) {
  // The greedy start reads t * (t + 1) / 2 entries of the block; the first
  // phase reads each block row's list twice (look-ahead and search), 2 t^2.
  // Without dead trees the second phase would read the block once more.
  const int32_t t = 100, k = 50;
  const Rows g = DeficientBlockAndATrap(t, k);
  EXPECT_LT(ArcScans(g, fast::Search::kPothenFan), t * (t + 1) / 2 + 2 * t * t + 10 * k);
  ExpectMaximum(g, t + 2);
}

TEST(FastMatching, RowsProvedHopelessAreNotSearchedAgain) {
  // The k rows beside the block fail untainted in the first phase (the
  // first proves the block dead), so none of them can ever be matched; the
  // trap's augmentation leaves no other root, and no second phase runs.
  EXPECT_EQ(FromRows(DeficientBlockAndATrap(100, 50), fast::Search::kPothenFan).phases, 1);
}

TEST(FastMatching, BothSidesSkipTheSideThatExploresEverything) {
  // From the rows the block's k hopeless roots explore it (2 t^2 entries);
  // from the columns the trap is repaired at once and no free column is
  // left, which proves the matching maximum.
  const int32_t t = 100, k = 50;
  const Rows g = DeficientBlockAndATrap(t, k);
  const int64_t greedy = t * (t + 1) / 2 + k + 3;
  EXPECT_GT(ArcScans(g, fast::Search::kPothenFan) - greedy, 2 * t * t);
  EXPECT_LT(ArcScans(g, fast::Search::kPothenFanBothSides) - greedy, t * t / 4);
}

// n rows and columns, row r listing column perm[r] and `noise` random
// others, in random order: a perfect matching hidden in a random graph.
Rows HiddenPerfect(int32_t n, int noise, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<int32_t> perm(n);
  std::iota(perm.begin(), perm.end(), 0);
  std::shuffle(perm.begin(), perm.end(), random);
  std::vector<std::vector<int32_t>> lists(n);
  for (int32_t r = 0; r < n; ++r) {
    lists[r].push_back(perm[r]);
    for (int k = 0; k < noise; ++k) lists[r].push_back(random() % n);
    std::shuffle(lists[r].begin(), lists[r].end(), random);
  }
  return Rows(n, lists);
}

// The entries read by Karp-Sipser and PF+ from the rows, and by
// Karp-Sipser and PF+ from both sides, each checked to find `size` pairs.
std::pair<int64_t, int64_t> ScansAfterKarpSipser(const Rows& g, int64_t size) {
  int64_t scans[2];
  for (int both = 0; both < 2; ++both) {
    fast::MatchingOptions options;
    options.initialisation = fast::Initialisation::kKarpSipser;
    options.search = both ? fast::Search::kPothenFanBothSides : fast::Search::kPothenFan;
    options.side = fast::Side::kRows;
    fast::MaximumMatching matching(g.graph(), options);
    EXPECT_EQ(matching.Solve(), fast::Status::kOptimal);
    EXPECT_EQ(matching.size(), size);
    EXPECT_TRUE(matching.CheckResult());
    scans[both] = matching.counters().arc_scans;
  }
  return {scans[0], scans[1]};
}

TEST(FastMatching, FewFreeVerticesAreJoinedBySearchesFromBothEnds) {
  // Karp-Sipser leaves a few vertices free; a depth-first search for each
  // of the last augmenting paths reads about a k-th of the graph with k
  // free columns left, two searches from both ends that meet about a
  // square root each. Same start, so the difference is the searches'.
  const int32_t n = 20000;
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    const Rows g = HiddenPerfect(n, 4, seed);
    const auto [one_side, both] = ScansAfterKarpSipser(g, n);
    EXPECT_LT(both, one_side - n / 2) << "seed " << seed;
  }
}

// An n x n torus: row (i, j) lists columns (i, j), (i, j + 1) and
// (i + 1, j), both sides numbered at random. A breadth-first search on it
// grows as a disc, not by the degree at every step.
Rows ShuffledTorus(int32_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<int32_t> row_id(n * n), col_id(n * n);
  std::iota(row_id.begin(), row_id.end(), 0);
  std::iota(col_id.begin(), col_id.end(), 0);
  std::shuffle(row_id.begin(), row_id.end(), random);
  std::shuffle(col_id.begin(), col_id.end(), random);
  std::vector<std::vector<int32_t>> lists(n * n);
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j) {
      auto& list = lists[row_id[i * n + j]];
      list = {col_id[i * n + j], col_id[i * n + (j + 1) % n], col_id[(i + 1) % n * n + j]};
      std::shuffle(list.begin(), list.end(), random);
    }
  return Rows(n * n, lists);
}

// A perfect matching of the hidden-perfect graph with `free` pairs taken
// apart, each free column then moved some steps away along alternating
// paths, so that the searches have long paths to find.
std::vector<int32_t> NearlyPerfect(const Rows& g, const Rows& t, int32_t free, uint32_t seed) {
  const int32_t n = g.cols;
  std::vector<int32_t> col_mate = KuhnColumnMates(g), row_mate(n, -1);
  for (int32_t c = 0; c < n; ++c)
    if (col_mate[c] >= 0) row_mate[col_mate[c]] = c;
  std::mt19937 random(seed);
  for (int32_t k = 0; k < free; ++k) {
    const int32_t r = random() % n;
    int32_t c = row_mate[r];
    if (c < 0) continue;
    row_mate[r] = col_mate[c] = -1;
    for (int step = 0; step < 12; ++step) {  // a row next to c moves onto it
      const int64_t degree = t.offsets[c + 1] - t.offsets[c];
      const int32_t s = t.targets[t.offsets[c] + random() % degree];
      if (s == r || row_mate[s] < 0) break;
      const int32_t left = row_mate[s];
      row_mate[s] = c, col_mate[c] = s, col_mate[left] = -1;
      c = left;
    }
  }
  row_mate.insert(row_mate.end(), col_mate.begin(), col_mate.end());
  return row_mate;
}

// The meeting searches' marks are kept between runs (cleared before the
// solve, not before each run): the rounds of a later run on the same
// memory must not take an earlier run's marks for their own.
TEST(FastMatching, MeetingSearchesKeepTheirMarksApartAcrossRuns) {
  const int32_t n = 3000;
  fast::internal::MeetingMemory memory;
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    const Rows g = HiddenPerfect(n, 3, seed), t = Transposed(g);
    std::vector<int32_t> mates = NearlyPerfect(g, t, 20, seed);
    int64_t pairs = 0;
    for (int32_t r = 0; r < n; ++r) pairs += mates[r] >= 0;
    const fast::internal::Adjacency rows{n, g.offsets.data(), g.targets.data()};
    const fast::internal::Adjacency cols{n, t.offsets.data(), t.targets.data()};
    fast::MatchingCounters counters;
    fast::internal::CancelPoll cancel;
    ASSERT_TRUE(fast::internal::MeetingSearch(rows, cols, {mates.data(), mates.data() + n, &pairs},
                                              &counters, &memory, &cancel, INT64_MAX));
    EXPECT_EQ(pairs, n) << "seed " << seed;
    for (int32_t r = 0; r < n; ++r) {
      const int32_t c = mates[r];
      ASSERT_GE(c, 0);
      EXPECT_EQ(mates[n + c], r);
      EXPECT_NE(
          std::find(g.targets.begin() + g.offsets[r], g.targets.begin() + g.offsets[r + 1], c),
          g.targets.begin() + g.offsets[r + 1]);
    }
  }
}

TEST(FastMatching, MeetingSearchesOnAGridStopAtTheirBudget) {
  // Karp-Sipser leaves about a hundred rows free, few enough for the
  // meeting searches, but their rounds read much of the torus each (four
  // to five times what PF+ from the rows reads in all): after a quarter of
  // a pass the turns of PF+ from both sides take over.
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const Rows g = ShuffledTorus(100, seed);
    const auto [one_side, both] = ScansAfterKarpSipser(g, 100 * 100);
    EXPECT_LT(both, 2 * one_side) << "seed " << seed;
  }
}

TEST(FastMatching, EmptySidesAndIsolatedVertices) {
  ExpectMaximum(Rows(0, {}), 0);
  ExpectMaximum(Rows(3, {}), 0);
  ExpectMaximum(Rows(0, {{}, {}}), 0);
  ExpectMaximum(Rows(5, {{}, {4}, {}, {4}}), 1);
}

TEST(FastMatching, RandomGraphsMatchTheReference) {
  std::mt19937 random(13);
  for (int trial = 0; trial < 300; ++trial) {
    const int32_t most = trial < 250 ? 30 : 400;
    int32_t rows = random() % most, cols = random() % most;
    int degree = 1 + random() % 4;
    std::vector<std::vector<int32_t>> lists(rows);
    for (auto& list : lists)
      for (int k = random() % (degree + 1); k > 0 && cols > 0; --k) list.push_back(random() % cols);
    Rows g(cols, lists);
    ExpectMaximum(g, ReferenceSize(g));
  }
}

// Lists of 6 to 12 entries, about the length up to which the searches in
// flight ask for all of a row's columns at once (read past its end, the
// address sanitizer says so), and longer ones, whose columns are asked for
// from the look-ahead and from the search's own place.
TEST(FastMatching, RandomGraphsWithLongerListsMatchTheReference) {
  std::mt19937 random(29);
  for (int trial = 0; trial < 40; ++trial) {
    const int32_t rows = 20 + random() % 40, cols = 20 + random() % 40;
    std::vector<std::vector<int32_t>> lists(rows);
    for (auto& list : lists)
      for (int k = trial % 4 == 0 ? 24 : 6 + random() % 7; k > 0; --k)
        list.push_back(random() % cols);
    Rows g(cols, lists);
    ExpectMaximum(g, ReferenceSize(g));
  }
}

// Random graphs of the shapes that make the parallel steps meet: many
// vertices of degree one and two (chains of degree-one pairs made by two
// members at once), dense blocks (claims lost to another member), and
// deficient sides (searches that fail and mark trees dead, budgets that
// stop phases midway), on two to four threads.
TEST(FastMatching, ParallelSolvesMatchTheReference) {
  std::mt19937 random(29);
  for (int trial = 0; trial < 24; ++trial) {
    const int32_t rows = 1 + random() % 2000, cols = 1 + random() % 2000;
    const int degree = 1 + random() % 6;
    std::vector<std::vector<int32_t>> lists(rows);
    for (int32_t r = 0; r < rows; ++r) {
      const int32_t block = trial % 3 == 0 ? 8 : cols;  // near the diagonal, or anywhere
      for (int k = random() % (degree + 1); k > 0; --k)
        lists[r].push_back((int64_t{r} * cols / rows + random() % block) % cols);
    }
    Rows g(cols, lists);
    ExpectMaximum(g, ReferenceSize(g), 2 + trial % 3);
  }
  // Large enough for the members to run side by side for a while; the
  // serial solve, checked above, gives the size.
  for (int trial = 0; trial < 4; ++trial) {
    const int32_t n = 60000;
    std::vector<std::vector<int32_t>> lists(n);
    for (int32_t r = 0; r < n; ++r)
      for (int k = 1 + random() % (1 + trial); k > 0; --k) lists[r].push_back(random() % n);
    Rows g(n, lists);
    fast::MaximumMatching serial(g.graph());
    ASSERT_EQ(serial.Solve(), fast::Status::kOptimal);
    const int64_t expected = serial.size();
    for (auto search : {fast::Search::kAuto, fast::Search::kPothenFan}) {
      fast::MatchingOptions options;
      options.threads = 2;
      options.parallel_min_entries = 0;
      options.initialisation = fast::Initialisation::kKarpSipser;
      options.search = search;
      fast::MaximumMatching matching(g.graph(), options);
      ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
      EXPECT_EQ(matching.size(), expected);
      EXPECT_TRUE(matching.CheckResult());
      for (int32_t mate : matching.row_mates()) ASSERT_GE(mate, -1);
      for (int32_t mate : matching.col_mates()) ASSERT_GE(mate, -1);
    }
  }
}

// One thread is the serial solve; more than one are used only from the
// threshold of entries on, and a negative count is refused.
TEST(FastMatching, ThreadsAreUsedOnLargeEnoughGraphs) {
  Rows g(4, {{0, 1}, {1, 2}, {2, 3}, {3}});
  for (int threads : {1, 2, 0}) {
    fast::MatchingOptions options;
    options.threads = threads;
    fast::MaximumMatching matching(g.graph(), options);
    ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
    EXPECT_EQ(matching.plan().threads, 1);
    EXPECT_EQ(matching.size(), 4);
  }
  fast::MatchingOptions options;
  options.threads = 3;
  options.parallel_min_entries = 7;
  fast::MaximumMatching on_three(g.graph(), options);
  ASSERT_EQ(on_three.Solve(), fast::Status::kOptimal);
  EXPECT_EQ(on_three.plan().threads, 3);
  EXPECT_TRUE(on_three.CheckResult());
  options.threads = -1;
  fast::MaximumMatching refused(g.graph(), options);
  EXPECT_EQ(refused.Solve(), fast::Status::kInvalidInput);
}

// Karp-Sipser, then PF+, from `side`.
fast::MatchingOptions KarpSipserThenPothenFan(fast::Side side) {
  fast::MatchingOptions options;
  options.initialisation = fast::Initialisation::kKarpSipser;
  options.search = fast::Search::kPothenFan;
  options.side = side;
  return options;
}

// A forest always has a leaf, so Karp-Sipser's degree-one rule alone
// matches a maximum matching of it, whatever order the leaves are taken
// in. Many trees at once keep several degree-one vertices waiting
// together, as the batches that take them from the stack see them.
TEST(FastMatching, KarpSipserAloneSolvesForests) {
  std::mt19937 random(29);
  for (int trial = 0; trial < 40; ++trial) {
    int32_t rows = 0, cols = 0;
    std::vector<std::pair<int32_t, int32_t>> edges;
    for (int tree = 1 + random() % 60; tree > 0; --tree) {
      // Each new vertex hangs from a random earlier vertex of the other side.
      std::vector<int32_t> tree_rows{rows++}, tree_cols;
      for (int k = random() % 12; k > 0; --k) {
        if (tree_cols.empty() || random() % 2) {
          tree_cols.push_back(cols++);
          edges.push_back({tree_rows[random() % tree_rows.size()], tree_cols.back()});
        } else {
          tree_rows.push_back(rows++);
          edges.push_back({tree_rows.back(), tree_cols[random() % tree_cols.size()]});
        }
      }
    }
    std::vector<std::vector<int32_t>> lists(rows);
    for (auto [r, c] : edges) lists[r].push_back(c);
    Rows g(cols, lists);
    const int64_t maximum = ReferenceSize(g);
    for (auto side : {fast::Side::kRows, fast::Side::kColumns}) {
      fast::MaximumMatching matching(g.graph(), KarpSipserThenPothenFan(side));
      ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
      EXPECT_EQ(matching.counters().initial_pairs, maximum) << "trial " << trial;
    }
  }
}

// Karp-Sipser on one thread packs the XOR of a free vertex's free
// neighbours into its mate slot, beside its degree, where the numbers and
// degrees fit in 31 bits. With 2^16 + 1 vertices a side a number takes 17
// bits and a degree must stay below 2^14: a hub column joined to `hub`
// rows, each with a column of its own besides, and a path through the
// other rows and columns, one row longer than it has columns. A forest, so
// the degree-one rule matches all but the hub, which must end free, with a
// hub of 2^14 - 1 (packed) and of 2^14 (the lists read instead).
TEST(FastMatching, KarpSipserPacksItsSlotsOnlyWhereTheDegreesFit) {
  constexpr int32_t n = (1 << 16) + 1;
  for (int32_t hub : {(1 << 14) - 1, 1 << 14}) {
    std::vector<std::vector<int32_t>> lists(n);
    for (int32_t r = 0; r < hub; ++r) lists[r] = {0, r + 1};
    for (int32_t r = hub; r < n; ++r) {
      if (r > hub) lists[r].push_back(r);
      if (r + 1 < n) lists[r].push_back(r + 1);
    }
    const Rows g(n, lists);
    for (auto side : {fast::Side::kRows, fast::Side::kColumns}) {
      fast::MaximumMatching matching(g.graph(), KarpSipserThenPothenFan(side));
      ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
      EXPECT_EQ(matching.counters().initial_pairs, n - 1) << "hub " << hub;
      ASSERT_EQ(matching.col_mates()[0], -1) << "hub " << hub;
      EXPECT_TRUE(matching.CheckResult());
    }
  }
}

// Karp-Sipser from the rows takes them in batches and matches the
// degree-one vertices that a batch's pairs make before the next batch.
// Cycles of five rows and five columns, each cycle's rows numbered far
// apart and in the order 0, 2, 1, 3, 4 along it: row 0's first choice,
// column 1, leaves a path that the degree-one rule matches whole, but row
// 2 choosing before that (column 2, its first) would leave row 1 without
// a free column.
TEST(FastMatching, KarpSipserMatchesABatchsDegreeOneVerticesBeforeTheNext) {
  constexpr int32_t kCycles = 40, kLength = 5;
  constexpr int32_t kOrder[kLength] = {0, 2, 1, 3, 4};
  std::vector<std::vector<int32_t>> lists(kCycles * kLength);
  for (int32_t j = 0; j < kCycles; ++j)
    for (int32_t p = 0; p < kLength; ++p) {
      // Row i of cycle j lies between columns i and i + 1 of it.
      const int32_t i = kOrder[p];
      const int32_t here = i * kCycles + j, next = (i + 1) % kLength * kCycles + j;
      lists[p * kCycles + j] = i == 0 ? std::vector<int32_t>{next, here} : std::vector{here, next};
    }
  const Rows g(kCycles * kLength, lists);
  fast::MaximumMatching matching(g.graph(), KarpSipserThenPothenFan(fast::Side::kRows));
  ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
  EXPECT_EQ(matching.counters().initial_pairs, kCycles * kLength);
  EXPECT_TRUE(matching.CheckResult());
}

TEST(FastMatching, CoverHasOneEndOfEveryEdge) {
  Rows g(3, {{0, 1, 2}, {0}, {0}});
  fast::MaximumMatching matching(g.graph());
  ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
  std::vector<uint8_t> row_in_cover, col_in_cover;
  matching.MinimumVertexCover(&row_in_cover, &col_in_cover);
  EXPECT_EQ(row_in_cover, (std::vector<uint8_t>{1, 0, 0}));
  EXPECT_EQ(col_in_cover, (std::vector<uint8_t>{1, 0, 0}));
}

TEST(FastMatching, GivenColumnSideIsUsed) {
  Rows g(2, {{0, 1}, {0}});
  std::vector<int64_t> col_offsets{0, 2, 3};
  std::vector<int32_t> col_targets{0, 1, 0};
  fast::BipartiteGraph graph = g.graph();
  graph.col_offsets = col_offsets.data();
  graph.col_targets = col_targets.data();
  fast::MaximumMatching matching(graph);
  ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
  EXPECT_EQ(matching.size(), 2);
}

// The plan an automatic solve ran on `g`, given with its column side
// unless `rows_alone`; its counters in `counters` when given. The matching
// is proved maximum by its certificate, and compared with Kuhn's
// algorithm's, whose time grows as the square of the rows, unless `large`.
fast::MatchingPlan AutomaticPlan(const Rows& g, bool rows_alone = false,
                                 fast::MatchingCounters* counters = nullptr, bool large = false) {
  const Rows t = Transposed(g);
  fast::BipartiteGraph graph = g.graph();
  if (!rows_alone) {
    graph.col_offsets = t.offsets.data();
    graph.col_targets = t.targets.data();
  }
  fast::MaximumMatching matching(graph);
  EXPECT_EQ(matching.Solve(), fast::Status::kOptimal);
  if (!large) {
    EXPECT_EQ(matching.size(), ReferenceSize(g));
  }
  EXPECT_TRUE(matching.CheckResult());
  if (counters != nullptr) *counters = matching.counters();
  return matching.plan();
}

// Row r of a chain of n: columns r and r + 1 (the last row column r only),
// listed so that a first-free choice takes column r + 1 and leaves one
// augmenting path through the whole chain.
Rows Chain(int32_t n) {
  std::vector<std::vector<int32_t>> lists(n);
  for (int32_t r = 0; r + 1 < n; ++r) lists[r] = {r + 1, r};
  lists[n - 1] = {n - 1};
  return Rows(n, lists);
}

TEST(FastMatching, DegreeOnePairsReadOnlyThePartnersList) {
  // Every pair of the chain is made by the degree-one rule, whose vertex
  // finds its one free neighbour in the XOR of its free neighbours: only
  // the partner's list (two entries) is read, to update its neighbours.
  const int32_t n = 1000;
  const Rows chain = Chain(n);
  for (auto side : {fast::Side::kRows, fast::Side::kColumns}) {
    fast::MatchingOptions options;
    options.initialisation = fast::Initialisation::kKarpSipser;
    options.side = side;
    fast::MaximumMatching matching(chain.graph(), options);
    ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
    EXPECT_EQ(matching.counters().initial_pairs, n);
    EXPECT_LE(matching.counters().arc_scans, 2 * n);
  }
}

TEST(FastMatching, AutomaticPlanFollowsTheDegrees) {
  // Sparse without hubs: Karp-Sipser, unless the greedy probe from the
  // columns already matches every vertex.
  fast::MatchingPlan chain = AutomaticPlan(Chain(50));
  EXPECT_EQ(chain.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(chain.side, fast::Side::kColumns);
  // A grid numbered row by row, each vertex with its own column: the probe
  // finds the diagonal free of zeros, reading each column's list (in row
  // order) up to its own row and no further, and those of a sample of at
  // most 64 columns once more (at most three entries each).
  constexpr int32_t kWidth = 20, kVertices = kWidth * kWidth;
  std::vector<std::vector<int32_t>> grid_lists(kVertices);
  int64_t up_to_diagonal = 0;
  for (int32_t r = 0; r < kVertices; ++r)
    for (int32_t c : {r - kWidth, r - 1, r, r + 1, r + kWidth})
      if (c >= 0 && c < kVertices && (c / kWidth == r / kWidth || c % kWidth == r % kWidth)) {
        grid_lists[r].push_back(c);
        up_to_diagonal += r <= c;
      }
  fast::MatchingCounters counters;
  fast::MatchingPlan grid = AutomaticPlan(Rows(kVertices, grid_lists), false, &counters);
  EXPECT_EQ(grid.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(grid.side, fast::Side::kColumns);
  EXPECT_EQ(counters.initial_pairs, kVertices);
  EXPECT_LE(counters.arc_scans, up_to_diagonal + 64 * 3);
  // A honeycomb numbered row by row, row i with columns i + width, i + 1
  // and i: each column lists its own row last, and the diagonal is read
  // from the lists' ends, one entry a column after the sample's three.
  std::vector<std::vector<int32_t>> honeycomb_lists(kVertices);
  for (int32_t r = 0; r < kVertices; ++r)
    for (int32_t c : {r + kWidth, r + 1, r})
      if (c < kVertices) honeycomb_lists[r].push_back(c);
  grid = AutomaticPlan(Rows(kVertices, honeycomb_lists), false, &counters);
  EXPECT_EQ(counters.initial_pairs, kVertices);
  EXPECT_LE(counters.arc_scans, kVertices + 64 * 3);
  // The same from the rows' lists alone (each row lists its own column
  // last), where a greedy start would take column i + width for row i.
  grid = AutomaticPlan(Rows(kVertices, honeycomb_lists), true, &counters);
  EXPECT_EQ(grid.side, fast::Side::kRows);
  EXPECT_EQ(counters.initial_pairs, kVertices);
  EXPECT_LE(counters.arc_scans, kVertices + 64 * 3);
  // Without its first diagonal entry (row 0 then takes column 1, row 1
  // column 0): the probe reads the lists backward (the sample of the first
  // rows reads fewer entries that way), takes for each column the row
  // below and leaves the last grid row's columns without one; read again
  // forward, it matches every vertex.
  grid_lists[0].erase(std::find(grid_lists[0].begin(), grid_lists[0].end(), 0));
  grid = AutomaticPlan(Rows(kVertices, grid_lists), false, &counters);
  EXPECT_EQ(grid.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(grid.side, fast::Side::kColumns);
  EXPECT_EQ(counters.initial_pairs, kVertices);
  // Pairs of rows 2k -> {2k, 2k + 1} and 2k + 1 -> {2k}: the probe's
  // column 2k takes row 2k, which column 2k + 1 needed.
  std::vector<std::vector<int32_t>> gadget_lists(40);
  for (int32_t k = 0; k < 20; ++k) {
    gadget_lists[2 * k] = {2 * k, 2 * k + 1};
    gadget_lists[2 * k + 1] = {2 * k};
  }
  fast::MatchingPlan sparse = AutomaticPlan(Rows(40, gadget_lists));
  EXPECT_EQ(sparse.initialisation, fast::Initialisation::kKarpSipser);
  EXPECT_EQ(sparse.side, fast::Side::kRows);
  // Sparse without hubs, but half as many columns as rows: a greedy start
  // from the columns, with Karp-Sipser kept for the restart.
  std::vector<std::vector<int32_t>> unequal_lists(40);
  for (int32_t r = 0; r < 40; ++r) unequal_lists[r] = {r / 2, (r / 2 + 1) % 20};
  fast::MatchingPlan unequal = AutomaticPlan(Rows(20, unequal_lists));
  EXPECT_EQ(unequal.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(unequal.side, fast::Side::kColumns);
  EXPECT_EQ(unequal.restart_side, fast::Side::kColumns);
  // A hub column holds most entries: a greedy start from the columns.
  std::vector<std::vector<int32_t>> hub_lists(200);
  for (int32_t r = 0; r < 200; ++r) hub_lists[r] = {0, 1 + r % 100};
  fast::MatchingPlan hub = AutomaticPlan(Rows(101, hub_lists));
  EXPECT_EQ(hub.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(hub.side, fast::Side::kColumns);
  EXPECT_EQ(hub.restart_side, fast::Side::kColumns);
}

TEST(FastMatching, TheLookAtTheDegreesCountsEveryVertex) {
  // The look reads the offsets in blocks of 1024 vertices and the rest one
  // at a time: sides just below, at and past a block's end and over
  // several blocks, with empty vertices and the largest degree anywhere.
  std::mt19937 random(26);
  for (int32_t count : {1, 1023, 1024, 1025, 2048, 5000})
    for (int32_t hub : {0, count / 2, count - 1}) {
      std::vector<int64_t> offsets{0};
      int64_t non_empty = 0, most = 0;
      for (int32_t v = 0; v < count; ++v) {
        const int64_t degree = v == hub ? 3 * count : random() % 3;
        offsets.push_back(offsets.back() + degree);
        non_empty += degree > 0;
        most = std::max(most, degree);
      }
      std::vector<int32_t> targets(offsets.back(), 0);
      const fast::internal::Adjacency side{count, offsets.data(), targets.data()};
      const fast::internal::Look look = fast::internal::LookAt(side, side);
      EXPECT_EQ(look.rows.non_empty, non_empty) << count << " vertices, hub " << hub;
      EXPECT_EQ(look.rows.most, most) << count << " vertices, hub " << hub;
      EXPECT_EQ(look.rows.entries, offsets.back());
      EXPECT_EQ(look.bound, non_empty);
    }
}

// A band matrix of n rows and columns, |row - column| <= 2, with a fixed
// 60% of the band's entries, its rows and columns numbered by `row_number`
// and `col_number` of their place along the band.
Rows Band(int32_t n, const std::vector<int32_t>& row_number,
          const std::vector<int32_t>& col_number) {
  std::vector<std::vector<int32_t>> lists(n);
  for (int32_t r = 0; r < n; ++r)
    for (int32_t c = std::max(r - 2, 0); c <= std::min(r + 2, n - 1); ++c)
      if ((37 * r + 11 * c) % 7 < 4) lists[row_number[r]].push_back(col_number[c]);
  return Rows(n, lists);
}

TEST(FastMatching, AutomaticPlanKeepsNoDegreesWhereShortCyclesAbound) {
  // Sparse, without hubs, most rows on a cycle of four edges: the
  // degree-one rule, then a greedy start and PF+ from the rows, whatever
  // the vertices' order.
  constexpr int32_t kN = 600;
  std::vector<int32_t> in_order(kN), shuffled(kN), shuffled_cols(kN);
  std::iota(in_order.begin(), in_order.end(), 0);
  shuffled = shuffled_cols = in_order;
  std::mt19937 random(7);
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  std::shuffle(shuffled_cols.begin(), shuffled_cols.end(), random);
  for (const Rows& band : {Band(kN, in_order, in_order), Band(kN, shuffled, shuffled_cols)}) {
    const fast::MatchingPlan plan = AutomaticPlan(band);
    EXPECT_EQ(plan.initialisation, fast::Initialisation::kKarpSipserThenGreedy);
    EXPECT_EQ(plan.search, fast::Search::kPothenFan);
    EXPECT_EQ(plan.side, fast::Side::kRows);
    EXPECT_EQ(plan.restart_side, fast::Side::kRows);
  }
}

TEST(FastMatching, AutomaticPlanKeepsSearchesInFlightWhereNeighboursLieFarApart) {
  // The band of AutomaticPlanKeepsNoDegreesWhereShortCyclesAbound, large
  // enough to pass a core's cache: numbered at random, PF+ keeps several
  // searches in flight; in order, or small, one at a time (in order, PF+
  // then passes its budget and the solve starts over with Karp-Sipser).
  constexpr int32_t kLarge = 70000, kSmall = 600;
  std::mt19937 random(11);
  for (int32_t n : {kLarge, kSmall}) {
    std::vector<int32_t> in_order(n), shuffled(n), shuffled_cols(n);
    std::iota(in_order.begin(), in_order.end(), 0);
    shuffled = shuffled_cols = in_order;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::shuffle(shuffled_cols.begin(), shuffled_cols.end(), random);
    const bool large = n == kLarge;
    EXPECT_EQ(AutomaticPlan(Band(n, shuffled, shuffled_cols), false, nullptr, large).search,
              large ? fast::Search::kPothenFanInterleaved : fast::Search::kPothenFan);
    EXPECT_NE(AutomaticPlan(Band(n, in_order, in_order), false, nullptr, large).search,
              fast::Search::kPothenFanInterleaved);
    // Rows at random, columns in order: the columns' lists scatter.
    EXPECT_EQ(AutomaticPlan(Band(n, shuffled, in_order), false, nullptr, large).search,
              large ? fast::Search::kPothenFanInterleaved : fast::Search::kPothenFan);
  }
}

// The rows' `lists` of columns below `cols`, both sides numbered at random.
Rows Renumbered(const std::vector<std::vector<int32_t>>& lists, int32_t cols,
                std::mt19937& random) {
  std::vector<int32_t> row_name(lists.size()), col_name(cols);
  std::iota(row_name.begin(), row_name.end(), 0);
  std::iota(col_name.begin(), col_name.end(), 0);
  std::shuffle(row_name.begin(), row_name.end(), random);
  std::shuffle(col_name.begin(), col_name.end(), random);
  std::vector<std::vector<int32_t>> named(lists.size());
  for (size_t r = 0; r < lists.size(); ++r)
    for (int32_t c : lists[r]) named[row_name[r]].push_back(col_name[c]);
  return Rows(cols, named);
}

// Many small components of 1 to 19 rows and 1 to 19 columns, `degree`
// random entries a row within its component (genbip's components family),
// numbered in order or at random on both sides.
Rows SmallComponents(int32_t components, int32_t degree, bool at_random) {
  std::mt19937 random(32);
  auto upto = [&](int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(random); };
  std::vector<std::vector<int32_t>> lists;
  int32_t cols = 0;
  for (int32_t k = 0; k < components; ++k) {
    const int32_t left = 1 + upto(19), right = 1 + upto(19);
    for (int32_t r = 0; r < left; ++r) {
      lists.emplace_back();
      for (int32_t e = 0; e < degree; ++e) lists.back().push_back(cols + upto(right));
    }
    cols += right;
  }
  return at_random ? Renumbered(lists, cols, random) : Rows(cols, lists);
}

TEST(FastMatching, AutomaticPlanKeepsSearchesInFlightAmongScatteredSmallComponents) {
  // A greedy start leaves many free vertices in small components, and PF+
  // searches from each: numbered at random, each step of a search misses
  // the cache, and with few entries a row PF+ keeps eight searches in
  // flight. In order, or with many entries a row (where searches in flight
  // cut each other short, and fewer failed ones prove their trees dead),
  // one at a time.
  for (int32_t degree : {4, 12})
    for (bool at_random : {true, false}) {
      const fast::MatchingPlan plan =
          AutomaticPlan(SmallComponents(7000, degree, at_random), false, nullptr, true);
      EXPECT_EQ(plan.initialisation, fast::Initialisation::kGreedy);
      EXPECT_EQ(plan.search, degree == 4 && at_random ? fast::Search::kPothenFanInterleaved
                                                      : fast::Search::kPothenFan)
          << "degree " << degree << (at_random ? ", at random" : ", in order");
    }
  ExpectMaximum(SmallComponents(300, 4, true), ReferenceSize(SmallComponents(300, 4, true)));
}

TEST(FastMatching, AutomaticPlanSearchesAtOnceAlongADenseChain) {
  // About a dozen entries a row, no hubs: a greedy start, unless the rows
  // lie along a chain. A band, |row - column| <= 12, half its entries at
  // random: the degree-one rule and a greedy start from the rows, then PF+
  // from both sides; numbered at random and large enough to pass a core's
  // cache, the degree-one rule alone, then PF+ from the columns with
  // searches in flight, and Karp-Sipser from the rows for the restart.
  constexpr int32_t kN = 3200, kWidth = 12;  // kN: a multiple of the components' 16
  std::mt19937 random(5);
  for (const int32_t n : {kN, 70000})
    for (bool shuffled : {false, true}) {
      std::vector<int32_t> row_number(n), col_number(n);
      std::iota(row_number.begin(), row_number.end(), 0);
      std::iota(col_number.begin(), col_number.end(), 0);
      if (shuffled) {
        std::shuffle(row_number.begin(), row_number.end(), random);
        std::shuffle(col_number.begin(), col_number.end(), random);
      }
      std::vector<std::vector<int32_t>> band(n);
      for (int32_t r = 0; r < n; ++r)
        for (int32_t c = std::max(r - kWidth, 0); c <= std::min(r + kWidth, n - 1); ++c)
          if (random() % 2) band[row_number[r]].push_back(col_number[c]);
      const bool large = n > kN, scattered = large && shuffled;
      const fast::MatchingPlan plan = AutomaticPlan(Rows(n, band), false, nullptr, large);
      EXPECT_EQ(plan.initialisation, scattered ? fast::Initialisation::kDegreeOne
                                               : fast::Initialisation::kKarpSipserThenGreedy)
          << n << (shuffled ? " shuffled" : " in order");
      EXPECT_EQ(plan.search, scattered ? fast::Search::kPothenFanInterleaved
                                       : fast::Search::kPothenFanBothSides);
      EXPECT_EQ(plan.side, scattered ? fast::Side::kColumns : fast::Side::kRows);
      EXPECT_EQ(plan.restart_side, scattered ? fast::Side::kRows : fast::Side::kAuto);
    }
  // The band's lower half, every entry there, each row numbered one on
  // (row 0 empty, so that no diagonal matches it at once): each column's
  // list starts with a row of its own, and the greedy probe from the
  // columns matches every one, reading an entry each, where the degree-one
  // rule would read every list. Above, the probe gave up early in each
  // band, and left every mate free for the degree-one rule of the large
  // shuffled one.
  std::vector<std::vector<int32_t>> lower(kN + 1);
  for (int32_t r = 0; r < kN; ++r)
    for (int32_t c = std::max(r - kWidth, 0); c <= r; ++c) lower[r + 1].push_back(c);
  fast::MatchingCounters counters;
  const fast::MatchingPlan probed = AutomaticPlan(Rows(kN, lower), false, &counters);
  EXPECT_EQ(probed.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(probed.side, fast::Side::kColumns);
  EXPECT_LE(counters.arc_scans, 2 * kN);
  // The same degrees at random, or in components of 16 rows and columns,
  // whose reach stops growing: a greedy start.
  std::vector<std::vector<int32_t>> spread(kN), components(kN);
  for (int32_t r = 0; r < kN; ++r)
    for (int32_t k = 0; k < kWidth; ++k) {
      spread[r].push_back(static_cast<int32_t>(random() % kN));
      components[r].push_back(r / 16 * 16 + static_cast<int32_t>(random() % 16));
    }
  EXPECT_EQ(AutomaticPlan(Rows(kN, spread)).initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(AutomaticPlan(Rows(kN, components)).initialisation, fast::Initialisation::kGreedy);
}

TEST(FastMatching, RowsAloneFinishWhereTheGreedyStartNearlyDoes) {
  // Without a column side: a greedy start from the rows and PF+, which
  // read the rows' lists alone, prove the matching maximum. The chain with
  // each row's own column first is matched by the greedy start at once.
  Rows chain = Chain(200);
  for (int32_t r = 0; r + 1 < 200; ++r) std::swap(chain.targets[2 * r], chain.targets[2 * r + 1]);
  fast::MatchingPlan plan = AutomaticPlan(chain, true);
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(plan.search, fast::Search::kPothenFan);
  EXPECT_EQ(plan.side, fast::Side::kRows);
  // Listed as Chain() lists it, the diagonal matches it at once. Shifted by
  // a column, so that no diagonal does, one augmenting path runs through
  // the whole chain, longer than the rows' budget: the two-sided plan takes
  // over.
  EXPECT_EQ(AutomaticPlan(Chain(200), true).side, fast::Side::kRows);
  std::vector<std::vector<int32_t>> shifted(200);
  for (int32_t r = 0; r + 1 < 200; ++r) shifted[r] = {r + 2, r + 1};
  shifted[199] = {200};
  EXPECT_EQ(AutomaticPlan(Rows(201, shifted), true).side, fast::Side::kColumns);
  // A tridiagonal band, each row's own column first, but every 50th row
  // lists the next column first and takes the next row's only one: the
  // greedy start leaves six rows free, PF+ matches each along a path of
  // three entries.
  std::vector<std::vector<int32_t>> bands(300);
  for (int32_t r = 0; r < 300; ++r) {
    if (r % 50 == 0) bands[r] = {r + 1, r};
    if (r % 50 == 1) bands[r] = {r};
    if (r % 50 > 1)
      for (int32_t c : {r, r - 1, r + 1})
        if (c < 300) bands[r].push_back(c);
  }
  plan = AutomaticPlan(Rows(300, bands), true);
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(plan.search, fast::Search::kPothenFan);
  EXPECT_EQ(plan.side, fast::Side::kRows);
  // Tall, wide, and with empty rows: the bound that ends the greedy start
  // early is the rows with an edge or the columns, whichever is fewer.
  // Where the columns are clearly fewer, the greedy start may still match
  // every column (no diagonal here: row r lists r + 1 and r + 2); where it
  // does not, PF+ from the rows is not tried, since every row beyond the
  // columns' number would search in vain: the sweeps search from the free
  // columns. (150 rows, 128 columns: row r < 127 lists column r, the
  // others column 0; row 0 takes column 0, and its other one, 127, waits
  // for the path 127, row 0, column 0, row 127, which one sweep finds.)
  std::vector<std::vector<int32_t>> tall(90), wide(30), skewed(90), short_of_one(150);
  for (int32_t r = 0; r < 90; ++r) {
    tall[r] = {r % 30, (r + 1) % 30};
    skewed[r] = {(r + 1) % 30, (r + 2) % 30};
  }
  for (int32_t r = 0; r < 150; ++r) short_of_one[r] = {r < 127 ? r : 0};
  short_of_one[0].push_back(127);
  for (int32_t r = 0; r < 30; ++r)
    if (r % 3 != 0) wide[r] = {r, r + 30, r + 60};
  EXPECT_EQ(AutomaticPlan(Rows(30, tall), true).side, fast::Side::kRows);
  EXPECT_EQ(AutomaticPlan(Rows(90, wide), true).side, fast::Side::kRows);
  EXPECT_EQ(AutomaticPlan(Rows(30, skewed), true).side, fast::Side::kRows);
  plan = AutomaticPlan(Rows(128, short_of_one), true);
  EXPECT_EQ(plan.side, fast::Side::kRows);
  EXPECT_EQ(plan.search, fast::Search::kSweeps);
  // Chains whose rows come in the wrong order for the sweeps: row a_j
  // lists c_(j+1), which the greedy start takes, then c_j, and a_j comes
  // before a_(j-1), so that each sweep takes the path from c_0 one column
  // further; the chain's last column is listed by rows that stay free.
  // The first sweep matches none of the free columns, and the two-sided
  // plan takes over.
  constexpr int32_t kChains = 8, kLength = 40;
  std::vector<std::vector<int32_t>> wrong_order;
  for (int32_t chain = 0; chain < kChains; ++chain) {
    const int32_t c = chain * kLength;
    for (int32_t j = kLength - 2; j >= 0; --j) wrong_order.push_back({c + j + 1, c + j});
    for (int k = 0; k < kLength / 4; ++k) wrong_order.push_back({c + kLength - 1});
  }
  plan = AutomaticPlan(Rows(kChains * kLength, wrong_order), true);
  EXPECT_EQ(plan.side, fast::Side::kColumns);
  EXPECT_NE(plan.search, fast::Search::kSweeps);
  // The same chains with their rows in order: one sweep each.
  for (int32_t chain = 0; chain < kChains; ++chain)
    std::reverse(wrong_order.begin() + chain * (kLength - 1 + kLength / 4),
                 wrong_order.begin() + chain * (kLength - 1 + kLength / 4) + kLength - 1);
  plan = AutomaticPlan(Rows(kChains * kLength, wrong_order), true);
  EXPECT_EQ(plan.search, fast::Search::kSweeps);
  // The two-sided plan after a try that gave up has every array
  // of its workspace sized and cleared: solved again and again, each solve
  // on the memory the one before freed, every matching is maximum.
  std::mt19937 random(31);
  std::vector<std::vector<int32_t>> random_tall(300);
  for (auto& list : random_tall)
    for (int k = 0; k < 3; ++k) list.push_back(static_cast<int32_t>(random() % 250));
  for (int run = 0; run < 3; ++run)
    EXPECT_EQ(AutomaticPlan(Rows(250, random_tall), true).side, fast::Side::kColumns);
}

// `units` copies of rows {a, b, c} and columns {x, y, z}, edges a-x, b-x,
// c-x, a-y, a-z (a maximum of two pairs of three), then `pairs` lone
// edges: sparse, without hubs, every vertex with an edge.
Rows DeficientUnits(int32_t units, int32_t pairs) {
  std::vector<std::vector<int32_t>> lists;
  for (int32_t u = 0; u < units; ++u) {
    const int32_t x = 3 * u;
    lists.push_back({x, x + 1, x + 2});
    lists.push_back({x});
    lists.push_back({x});
  }
  for (int32_t p = 0; p < pairs; ++p) lists.push_back({3 * units + p});
  return Rows(3 * units + pairs, lists);
}

TEST(FastMatching, KarpSipserLeavingManyFreeIsFollowedByPushRelabel) {
  // A third of the bound stays free: push-relabel after Karp-Sipser.
  Rows deficient = DeficientUnits(30, 0);
  fast::MatchingPlan plan = AutomaticPlan(deficient);
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kKarpSipser);
  EXPECT_EQ(plan.search, fast::Search::kPushRelabelEitherSide);
  ExpectMaximum(deficient, 60);
  // One free vertex in 23: PF+ from both sides.
  Rows nearly_perfect = DeficientUnits(1, 20);
  plan = AutomaticPlan(nearly_perfect);
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kKarpSipser);
  EXPECT_EQ(plan.search, fast::Search::kPothenFanBothSides);
  ExpectMaximum(nearly_perfect, 22);
}

// n rows and columns, of which k = n / 5 stay free on each side: rows
// [0, 2k) share columns [0, k); columns [k, 3k) share rows [2k, 3k); row r
// of the rest has column r and columns of [0, k) or [3k, n), which joins
// the first deficient block to the rest of the graph but not the second.
// Every row has `degree` entries; `transposed` swaps the sides; unless
// `at_random`, the vertices keep these numbers and each row lists its own
// column first.
Rows DeficientBothSides(int32_t n, int32_t degree, bool transposed, bool at_random = true) {
  const int32_t k = n / 5;
  std::mt19937 random(7);
  auto in = [&](int32_t from, int32_t to) {
    return std::uniform_int_distribution<int32_t>(from, to - 1)(random);
  };
  std::vector<std::vector<int32_t>> lists(n);
  for (int32_t r = 0; r < n; ++r) {
    const int32_t own = r < k ? r : r < 2 * k ? -1 : r < 3 * k ? r - k : r;
    if (own >= 0) lists[r].push_back(own);
    while (static_cast<int32_t>(lists[r].size()) < degree) {
      if (r < 2 * k)
        lists[r].push_back(in(0, k));
      else if (r < 3 * k)
        lists[r].push_back(in(k, 3 * k));
      else {
        const int32_t c = in(0, n - 2 * k);
        lists[r].push_back(c < k ? c : c + 2 * k);
      }
    }
  }
  // Numbered at random on both sides, each list in random order, as a
  // generator would not write them.
  std::vector<int32_t> row_name(n), col_name(n);
  for (int32_t v = 0; v < n; ++v) row_name[v] = col_name[v] = v;
  if (at_random) std::shuffle(row_name.begin(), row_name.end(), random);
  if (at_random) std::shuffle(col_name.begin(), col_name.end(), random);
  std::vector<std::vector<int32_t>> named(n);
  for (int32_t r = 0; r < n; ++r)
    for (int32_t c : lists[r]) {
      if (transposed)
        named[col_name[c]].push_back(row_name[r]);
      else
        named[row_name[r]].push_back(col_name[c]);
    }
  if (at_random)
    for (auto& list : named) std::shuffle(list.begin(), list.end(), random);
  return Rows(n, named);
}

TEST(FastMatching, PushRelabelTakesTheSideWithFewerLiveFreeVertices) {
  // The rows' free ones, all in the joined block, stay live until the
  // matching there is right, and push in vain meanwhile; the columns'
  // hopeless free ones are dead from the first global relabelling.
  using fast::Search;
  const fast::Initialisation ks = fast::Initialisation::kKarpSipser;
  const Rows g = DeficientBothSides(5000, 4, false);
  EXPECT_LT(5 * ArcScans(g, Search::kPushRelabelEitherSide, ks),
            4 * ArcScans(g, Search::kPushRelabel, ks));
  // Transposed, the rows are the side to push from, and their look finds
  // it: the same search, entry for entry.
  const Rows t = DeficientBothSides(5000, 4, true);
  EXPECT_EQ(ArcScans(t, Search::kPushRelabelEitherSide, ks), ArcScans(t, Search::kPushRelabel, ks));
}

// g as genbip writes it in vertex order `order` (tools/gen/vertex_order.h).
Rows Reordered(const Rows& g, const char* order) {
  Bipartite graph;
  graph.left = static_cast<int>(g.offsets.size() - 1);
  graph.right = g.cols;
  for (int r = 0; r < graph.left; ++r)
    for (int64_t e = g.offsets[r]; e < g.offsets[r + 1]; ++e)
      graph.edges.push_back({r + 1, g.targets[e] + 1});
  Random random(1);
  reorder(graph, order, random);
  std::vector<std::vector<int32_t>> lists(graph.left);
  for (const Edge& e : graph.edges) lists[e.tail - 1].push_back(e.head - 1);
  return Rows(g.cols, lists);
}

TEST(FastMatching, GreedyStartReadsTheWayTheWholeSideFavours) {
  // As genbip writes its deficient matrix: the first block's columns list
  // the rows of their own block first and, at their ends, rows that only
  // the last block's columns have besides. Read backward, as the first
  // rows alone favour, the first block takes those rows and leaves k of
  // the last block's columns free; runs of rows spread over the side read
  // forward and match every vertex a maximum matching does.
  const int32_t n = 20000, k = n / 5;
  const Rows g = DeficientBothSides(n, 40, false, false);
  fast::MatchingCounters counters;
  const fast::MatchingPlan plan = AutomaticPlan(g, false, &counters, true);
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(plan.side, fast::Side::kColumns);
  EXPECT_EQ(counters.initial_pairs, n - k);
  // A dense random matrix numbered breadth first: the rows found from one
  // column list it first and collide on it read forward, an entry a row
  // more than backward, which says nothing of where their partners are.
  // Read backward, the pass leaves about four times as many free (1,164
  // of the 20,000 columns against 314).
  const int32_t m = 20000;
  const Rows dense = Reordered(HiddenPerfect(m, 39, 7), "breadth-first");
  const fast::MatchingPlan dense_plan = AutomaticPlan(dense, false, &counters, true);
  EXPECT_EQ(dense_plan.initialisation, fast::Initialisation::kGreedy);
  EXPECT_GT(counters.initial_pairs, m - m / 40);
}

TEST(FastMatching, RowsAloneProveADeficientBlockHopeless) {
  // A deficient matrix without a column side, each list in column order
  // as genbip writes it: the first 2k rows share k columns, and the k left
  // over find them all taken with a fifth of the columns taken, where a
  // random list of 40 almost never would. The greedy start forgives those
  // misses (counted, they passed its limit, and the columns' lists were
  // built), and PF+'s failed searches from them, which prove the block
  // dead, stay out of its budget (counted, they stopped PF+ there: in
  // column order the greedy start reads far into the lists): the rows
  // alone prove the maximum.
  const int32_t n = 20000;
  Rows g = DeficientBothSides(n, 40, false, false);
  for (int32_t r = 0; r < n; ++r)
    std::sort(g.targets.begin() + g.offsets[r], g.targets.begin() + g.offsets[r + 1]);
  fast::MatchingCounters counters;
  const fast::MatchingPlan plan = AutomaticPlan(g, true, &counters, true);
  EXPECT_EQ(plan.side, fast::Side::kRows);
  EXPECT_EQ(plan.search, fast::Search::kPothenFan);
  EXPECT_LT(counters.arc_scans, 2 * int64_t{n} * 40);
  // Shuffled, the surplus rows miss late, when most columns are taken, as
  // a random graph's do: they count, and the two-sided plan takes over.
  const Rows shuffled = DeficientBothSides(n, 40, false, true);
  EXPECT_EQ(AutomaticPlan(shuffled, true, &counters, true).side, fast::Side::kColumns);
}

TEST(FastMatching, RowsAloneGoByDegreePastTheirMisses) {
  // Four rows list every column, a thousand list two of the first hundred
  // columns, and the others two columns at random: the greedy start goes
  // by degree (a hub holds a sixth of the entries), and the rows of the
  // first hundred columns miss 900 times, far past its limit of misses,
  // as every maximum matching leaves them free. It goes on, and PF+ from
  // the rows proves them hopeless: no columns' lists are built.
  constexpr int32_t n = 2000, kHubs = 4, kCrowded = 1000, kFew = 100;
  std::mt19937 random(7);
  std::vector<std::vector<int32_t>> lists(n);
  for (int32_t r = 0; r < n; ++r) {
    if (r < kHubs) {
      for (int32_t c = 0; c < n; ++c) lists[r].push_back(c);
    } else {
      const int32_t first = r < kHubs + kCrowded ? 0 : kFew;
      const int32_t span = r < kHubs + kCrowded ? kFew : n - kFew;
      lists[r] = {first + static_cast<int32_t>(random() % span),
                  first + static_cast<int32_t>(random() % span)};
    }
  }
  const fast::MatchingPlan plan = AutomaticPlan(Rows(n, lists), true);
  EXPECT_EQ(plan.side, fast::Side::kRows);
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kGreedy);  // not the two-sided plan's
  EXPECT_EQ(plan.search, fast::Search::kPothenFan);
}

TEST(FastMatching, PushRelabelAndSweepsAllocateNothingInTheSolve) {
  // Either side pushes here, after a look from the other that gives up:
  // every array comes from what Prepare() reserved. So do the sweeps'.
  for (bool transposed : {false, true})
    for (auto search : {fast::Search::kPushRelabel, fast::Search::kPushRelabelEitherSide,
                        fast::Search::kSweeps}) {
      const Rows g = DeficientBothSides(2000, 4, transposed);
      fast::MatchingOptions options;
      options.initialisation = fast::Initialisation::kKarpSipser;
      options.search = search;
      fast::MaximumMatching matching(g.graph(), options);
      ASSERT_EQ(matching.Prepare(), fast::Status::kOptimal);
      allocations = 0;
      counting_allocations = true;
      const fast::Status status = matching.Solve();
      counting_allocations = false;
      ASSERT_EQ(status, fast::Status::kOptimal);
      EXPECT_EQ(allocations, 0) << "search " << int(search) << ", transposed " << transposed;
      EXPECT_TRUE(matching.CheckResult());
    }
}

TEST(FastMatching, BudgetedSearchStartsOverWithKarpSipser) {
  // Complete blocks of rows chained to the next block's columns, listed
  // first, and a column of each row's own block (the next one round, so
  // that no diagonal matches them at once): the greedy start from the rows
  // (the spare columns make them the smaller side) leaves the last block
  // free and paths across every block. PF+ needs more than its pass, and
  // the solve starts over with Karp-Sipser, still maximum. Without a
  // column side the rows alone try the same first, and give up the same
  // way. With blocks of 12, 13 entries a row, Karp-Sipser would read
  // every long list twice: PF+ from both sides goes on from where PF+
  // stands instead.
  for (const int32_t b : {6, 12}) {
    const int32_t blocks = 100, n = blocks * b, spare = n / 4;
    std::vector<std::vector<int32_t>> lists(n);
    for (int32_t block = 0; block < blocks; ++block)
      for (int32_t j = 0; j < b; ++j) {
        auto& list = lists[block * b + j];
        for (int32_t t = 0; t < b && block + 1 < blocks; ++t)
          list.push_back((block + 1) * b + (j + t) % b);
        list.push_back(block * b + (j + 1) % b);
      }
    for (int32_t c = n; c < n + spare; ++c) lists[0].push_back(c);
    Rows g(n + spare, lists);
    fast::MaximumMatching matching(g.graph());
    ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
    EXPECT_EQ(matching.size(), n);
    EXPECT_TRUE(matching.CheckResult());
    const bool sparse = b == 6;
    EXPECT_EQ(matching.plan().initialisation,
              sparse ? fast::Initialisation::kKarpSipser : fast::Initialisation::kGreedy)
        << b;
    EXPECT_EQ(matching.plan().search, fast::Search::kPothenFanBothSides) << b;
    EXPECT_EQ(matching.plan().restart_side, fast::Side::kRows);
    ExpectMaximum(g, n);
  }
  // Dense and deficient on both sides, the rows numbered from the last:
  // the columns' lists, in row order, start with rows of the last block,
  // and a greedy start from the columns takes a fifth of those away from
  // the last block's columns, which leaves two fifths of the bound free,
  // and PF+ spends its pass on searches that fail (with 20 entries a row,
  // or 12 on half as many vertices, and the rows its failed searches prove
  // hopeless left out of its later phases, it finishes within the pass).
  // Push-relabel goes on from that start instead of a Karp-Sipser
  // restart. Transposed, the greedy start matches the maximum at once and
  // PF+ proves it within its pass.
  const Rows deficient = DeficientBothSides(10000, 10, false, false);
  std::vector<std::vector<int32_t>> from_the_last;
  for (size_t r = deficient.offsets.size() - 1; r-- > 0;)
    from_the_last.emplace_back(deficient.targets.begin() + deficient.offsets[r],
                               deficient.targets.begin() + deficient.offsets[r + 1]);
  fast::MatchingPlan plan = AutomaticPlan(Rows(deficient.cols, from_the_last));
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(plan.search, fast::Search::kPushRelabelEitherSide);
  plan = AutomaticPlan(DeficientBothSides(5000, 12, true, false));
  EXPECT_EQ(plan.initialisation, fast::Initialisation::kGreedy);
  EXPECT_EQ(plan.search, fast::Search::kPothenFan);
}

// A network's arcs, solved by `algorithm`: its value, proved by its
// certificate.
int64_t FlowValue(int32_t nodes, const std::vector<std::pair<int32_t, int32_t>>& arcs,
                  fast::FlowAlgorithm algorithm) {
  std::vector<int32_t> tails, heads;
  for (auto [tail, head] : arcs) tails.push_back(tail), heads.push_back(head);
  fast::UnitNetwork network{nodes, int64_t(arcs.size()), tails.data(), heads.data(), 0, nodes - 1};
  fast::UnitMaxFlow flow(network, algorithm);
  EXPECT_EQ(flow.Solve(), fast::Status::kOptimal);
  EXPECT_TRUE(flow.CheckResult());
  return flow.value();
}

TEST(FastMatching, MatchingReductionsAndNearMissesKeepTheirFlow) {
  // Source 0, X = 1..4, Y = 5..8, sink 9; the X-Y arcs admit 3 pairs.
  std::vector<std::pair<int32_t, int32_t>> arcs{{1, 5}, {1, 6}, {2, 5}, {3, 7}, {4, 7}, {3, 7}};
  for (int32_t x = 1; x <= 4; ++x) arcs.push_back({0, x});
  for (int32_t y = 5; y <= 8; ++y) arcs.push_back({y, 9});
  EXPECT_EQ(FlowValue(10, arcs, fast::FlowAlgorithm::kAuto), 3);
  // Each extra arc leaves the matching shape; the general path must give
  // Dinic's value.
  const std::pair<int32_t, int32_t> breakers[] = {{8, 4}, {0, 8}, {4, 9}, {4, 1}, {8, 6},
                                                  {2, 2}, {0, 4}, {9, 4}, {4, 0}, {0, 9}};
  for (auto breaker : breakers) {
    auto broken = arcs;
    broken.push_back(breaker);
    EXPECT_EQ(FlowValue(10, broken, fast::FlowAlgorithm::kAuto),
              FlowValue(10, broken, fast::FlowAlgorithm::kDinic))
        << "extra arc " << breaker.first << " -> " << breaker.second;
  }
}

TEST(FastMatching, InvalidArraysAreRefused) {
  Rows out_of_range(2, {{0, 2}});
  EXPECT_EQ(fast::MaximumMatching(out_of_range.graph()).Solve(), fast::Status::kInvalidInput);
  Rows negative(2, {{-1}});
  EXPECT_EQ(fast::MaximumMatching(negative.graph()).Solve(), fast::Status::kInvalidInput);
  Rows decreasing(2, {{0, 1}, {1}});
  decreasing.offsets[2] = 1;
  EXPECT_EQ(fast::MaximumMatching(decreasing.graph()).Solve(), fast::Status::kInvalidInput);
  fast::BipartiteGraph no_arrays;
  no_arrays.rows = 1;
  EXPECT_EQ(fast::MaximumMatching(no_arrays).Solve(), fast::Status::kInvalidInput);
  Rows g(2, {{0, 1}});
  std::vector<int64_t> col_offsets{0, 1, 1};
  std::vector<int32_t> col_targets{0};
  fast::BipartiteGraph short_columns = g.graph();
  short_columns.col_offsets = col_offsets.data();
  short_columns.col_targets = col_targets.data();
  EXPECT_EQ(fast::MaximumMatching(short_columns).Solve(), fast::Status::kInvalidInput);
  EXPECT_EQ(fast::DulmageMendelsohn(out_of_range.graph()).Solve(), fast::Status::kInvalidInput);
  EXPECT_EQ(fast::DulmageMendelsohn(short_columns).Solve(), fast::Status::kInvalidInput);
}

// Every part at once: R1 x C0 C1 (one row, two columns), a square part of
// a two-cycle block that reaches a single, and R3 + R0 x C3 (two rows on
// one column).
TEST(FastDulmageMendelsohn, EveryPartOfASmallMatrix) {
  Rows g(6, {{0, 1, 2}, {2, 3, 4}, {2, 3}, {4, 5}, {5}, {5}});
  fast::DulmageMendelsohn dm(g.graph());
  ASSERT_EQ(dm.Solve(), fast::Status::kOptimal);
  EXPECT_TRUE(dm.CheckResult());
  EXPECT_EQ(dm.structural_rank(), 5);
  EXPECT_EQ(dm.coarse_cols(), (std::array<int32_t, 5>{0, 1, 2, 5, 6}));
  EXPECT_EQ(dm.coarse_rows(), (std::array<int32_t, 5>{0, 1, 4, 5, 6}));
  EXPECT_EQ(dm.row_blocks(), (std::vector<int32_t>{0, 1, 3, 4, 6}));
  EXPECT_EQ(dm.col_blocks(), (std::vector<int32_t>{0, 2, 4, 5, 6}));
  const std::vector<int32_t>& p = dm.row_order();
  const std::vector<int32_t>& q = dm.col_order();
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(std::min(p[1], p[2]) * 10 + std::max(p[1], p[2]), 12);
  EXPECT_EQ(p[3], 3);
  EXPECT_EQ(std::min(q[2], q[3]) * 10 + std::max(q[2], q[3]), 23);
  EXPECT_EQ(q[4], 4);
  EXPECT_EQ(q[5], 5);
}

TEST(FastDulmageMendelsohn, EmptyAndOneSidedMatrices) {
  for (int32_t cols : {0, 3}) {
    Rows no_rows(cols, {});
    fast::DulmageMendelsohn dm(no_rows.graph());
    ASSERT_EQ(dm.Solve(), fast::Status::kOptimal);
    EXPECT_TRUE(dm.CheckResult());
    EXPECT_EQ(dm.blocks(), cols > 0 ? 1 : 0);
    EXPECT_EQ(dm.coarse_cols()[1], cols);
  }
  Rows no_cols(0, {{}, {}});
  fast::DulmageMendelsohn dm(no_cols.graph());
  ASSERT_EQ(dm.Solve(), fast::Status::kOptimal);
  EXPECT_TRUE(dm.CheckResult());
  EXPECT_EQ(dm.blocks(), 1);
  EXPECT_EQ(dm.coarse_rows(), (std::array<int32_t, 5>{0, 0, 0, 0, 2}));
}

// A side matched whole leaves nothing to search from on it: a tall matrix
// of full column rank has no under-determined part, a wide one of full row
// rank no over-determined part. Every search and side ends the matching
// differently; the parts must not depend on it.
TEST(FastDulmageMendelsohn, NoFreeColumnOrNoFreeRow) {
  Rows tall(3, {{0}, {0}, {1, 2}, {2, 1}});
  Rows wide(4, {{0, 1}, {2, 3}, {2, 3}});
  for (const fast::MatchingOptions& options : SearchesAndSides()) {
    fast::DulmageMendelsohn over(tall.graph(), options);
    ASSERT_EQ(over.Solve(), fast::Status::kOptimal);
    EXPECT_TRUE(over.CheckResult());
    EXPECT_EQ(over.coarse_cols(), (std::array<int32_t, 5>{0, 0, 0, 2, 3}));
    EXPECT_EQ(over.coarse_rows(), (std::array<int32_t, 5>{0, 0, 2, 3, 4}));
    EXPECT_EQ(over.row_blocks(), (std::vector<int32_t>{0, 2, 4}));
    EXPECT_EQ(over.col_blocks(), (std::vector<int32_t>{0, 2, 3}));
    fast::DulmageMendelsohn under(wide.graph(), options);
    ASSERT_EQ(under.Solve(), fast::Status::kOptimal);
    EXPECT_TRUE(under.CheckResult());
    EXPECT_EQ(under.coarse_cols(), (std::array<int32_t, 5>{0, 1, 2, 4, 4}));
    EXPECT_EQ(under.coarse_rows(), (std::array<int32_t, 5>{0, 1, 3, 3, 3}));
    EXPECT_EQ(under.row_blocks(), (std::vector<int32_t>{0, 1, 3}));
    EXPECT_EQ(under.col_blocks(), (std::vector<int32_t>{0, 2, 4}));
  }
}

// PF+ from the rows, no start: the first phase matches rows 0 and 2, and
// row 1's search fails, leaving column 0 dead; the second phase, which
// proves the matching maximum, skips the dead column. The over-determined
// part read off that proof must still hold it.
TEST(FastDulmageMendelsohn, PartsReadOffTheProofKeepTheDeadColumns) {
  Rows g(2, {{0}, {0}, {1}});
  fast::MatchingOptions options;
  options.initialisation = fast::Initialisation::kNone;
  options.search = fast::Search::kPothenFan;
  options.side = fast::Side::kRows;
  fast::DulmageMendelsohn dm(g.graph(), options);
  ASSERT_EQ(dm.Solve(), fast::Status::kOptimal);
  EXPECT_TRUE(dm.CheckResult());
  // Row 1's search fails untainted: no second phase searches it again,
  // and the parts come from the dead marks alone.
  EXPECT_EQ(dm.matching().counters().phases, 1);
  EXPECT_EQ(dm.coarse_cols(), (std::array<int32_t, 5>{0, 0, 0, 1, 2}));
  EXPECT_EQ(dm.coarse_rows(), (std::array<int32_t, 5>{0, 0, 1, 2, 3}));
  EXPECT_EQ(dm.col_order(), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(dm.row_order()[0], 2);
}

// Which part each row and column is in, named by the smallest row and
// column of its fine block (the under- and over-determined parts as one
// block each): the same whatever maximum matching the decomposition used.
std::vector<int64_t> BlockNames(const fast::DulmageMendelsohn& dm) {
  const int32_t rows = static_cast<int32_t>(dm.row_order().size());
  std::vector<int64_t> names(rows + dm.col_order().size());
  for (int32_t b = 0; b < dm.blocks(); ++b) {
    int64_t name = INT64_MAX;
    for (int32_t k = dm.row_blocks()[b]; k < dm.row_blocks()[b + 1]; ++k)
      name = std::min<int64_t>(name, dm.row_order()[k]);
    for (int32_t k = dm.col_blocks()[b]; k < dm.col_blocks()[b + 1]; ++k)
      name = std::min<int64_t>(name, rows + dm.col_order()[k]);
    for (int32_t k = dm.row_blocks()[b]; k < dm.row_blocks()[b + 1]; ++k)
      names[dm.row_order()[k]] = name;
    for (int32_t k = dm.col_blocks()[b]; k < dm.col_blocks()[b + 1]; ++k)
      names[rows + dm.col_order()[k]] = name;
  }
  return names;
}

TEST(FastDulmageMendelsohn, RandomMatricesGiveTheSameBlocksWhateverTheMatching) {
  std::mt19937 random(25);
  for (int trial = 0; trial < 300; ++trial) {
    const int32_t rows = random() % 30, cols = random() % 30;
    const double density = 0.5 * (random() % 1000) / 1000.0 / std::max(1, std::min(rows, cols));
    std::vector<std::vector<int32_t>> lists(rows);
    for (auto& list : lists)
      for (int32_t c = 0; c < cols; ++c)
        if (random() % 1000 < 1000 * (density + (random() % 4 == 0 ? 0.05 : 0.0)))
          list.push_back(c);
    Rows g(cols, lists);
    std::vector<int64_t> first;
    for (const fast::MatchingOptions& options : SearchesAndSides()) {
      fast::DulmageMendelsohn dm(g.graph(), options);
      ASSERT_EQ(dm.Solve(), fast::Status::kOptimal);
      ASSERT_TRUE(dm.CheckResult()) << "trial " << trial;
      EXPECT_EQ(dm.structural_rank(), ReferenceSize(g));
      if (first.empty()) first = BlockNames(dm);
      EXPECT_EQ(BlockNames(dm), first) << "trial " << trial;
    }
  }
}

// A bidiagonal matrix's square part is a path of a million singleton
// components, ordered along it; with the corner entry it is one cycle, one
// block. A recursive search would overflow the stack on either. Upper
// bidiagonal, the path's sinks come last in index order, lower bidiagonal
// first: the search starts from whichever end holds them.
TEST(FastDulmageMendelsohn, LongPathsAndCyclesNeedNoRecursion) {
  // Large enough a square part that the search reads its mates' entries
  // gathered beforehand.
  const int32_t n = 1 << 20;
  for (int32_t next : {1, n - 1})
    for (bool corner : {false, true}) {
      std::vector<std::vector<int32_t>> lists(n);
      for (int32_t i = 0; i < n; ++i) lists[i] = {i, (i + next) % n};
      lists[next == 1 ? n - 1 : 0].resize(corner ? 2 : 1);
      Rows g(n, lists);
      fast::DulmageMendelsohn dm(g.graph());
      ASSERT_EQ(dm.Solve(), fast::Status::kOptimal);
      EXPECT_TRUE(dm.CheckResult());
      EXPECT_EQ(dm.structural_rank(), n);
      EXPECT_EQ(dm.blocks(), corner ? 1 : n);
      if (!corner) {
        EXPECT_EQ(dm.row_order()[n - 1], next == 1 ? n - 1 : 0);
      }
    }
}

// A honeycomb of width x width cells (genbip's hex grid), row i with
// columns i + width, i + 1 and i, numbered in order or at random.
Rows Honeycomb(int32_t width, bool at_random) {
  const int32_t n = width * width;
  std::vector<std::vector<int32_t>> lists(n);
  for (int32_t i = 0; i < n; ++i) {
    if (i + width < n) lists[i].push_back(i + width);
    if ((i + 1) % width != 0) lists[i].push_back(i + 1);
    lists[i].push_back(i);
  }
  std::mt19937 random(32);
  return at_random ? Renumbered(lists, n, random) : Rows(n, lists);
}

// The sizes of the fine blocks, rows and columns, in increasing order.
std::vector<std::pair<int32_t, int32_t>> BlockSizes(const fast::DulmageMendelsohn& dm) {
  std::vector<std::pair<int32_t, int32_t>> sizes;
  for (int32_t b = 0; b < dm.blocks(); ++b)
    sizes.emplace_back(dm.row_blocks()[b + 1] - dm.row_blocks()[b],
                       dm.col_blocks()[b + 1] - dm.col_blocks()[b]);
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

// Solves a graph in its own order and renumbered: the decomposition of the
// second must be proved and have the first's rank, coarse parts and block
// sizes, as renumbering changes none of them.
void ExpectSameDecomposition(fast::DulmageMendelsohn* ordered, fast::DulmageMendelsohn* scattered) {
  ASSERT_EQ(ordered->Solve(), fast::Status::kOptimal);
  ASSERT_EQ(scattered->Solve(), fast::Status::kOptimal);
  EXPECT_TRUE(scattered->CheckResult());
  EXPECT_EQ(scattered->structural_rank(), ordered->structural_rank());
  EXPECT_EQ(scattered->coarse_rows(), ordered->coarse_rows());
  EXPECT_EQ(scattered->coarse_cols(), ordered->coarse_cols());
  EXPECT_EQ(BlockSizes(*scattered), BlockSizes(*ordered));
}

TEST(FastDulmageMendelsohn, ScatteredSquarePartsGiveTheSameBlocks) {
  // Large enough, and numbered at random, that the component search asks
  // for the data of a column's children as it enters the column: the same
  // blocks as the graph in order, whose search starts from its sinks.
  const Rows in_order = Honeycomb(256, false), at_random = Honeycomb(256, true);
  fast::DulmageMendelsohn ordered(in_order.graph()), scattered(at_random.graph());
  ExpectSameDecomposition(&ordered, &scattered);
}

TEST(FastDulmageMendelsohn, CopiedSquarePartsGiveTheSameBlocks) {
  // A band, |row - column| <= 4, each entry there with probability 0.45
  // (genbip's banded family): an under- and an over-determined part, and a
  // square part of many small blocks whose rows have entries in C3 too.
  // Numbered at random, large enough that the component search walks the
  // square part's copy; in order, the graph itself.
  const int32_t n = 70000;
  std::mt19937 random(33);
  std::vector<std::vector<int32_t>> lists(n);
  for (int32_t r = 0; r < n; ++r)
    for (int32_t c = std::max(r - 4, 0); c <= std::min(r + 4, n - 1); ++c)
      if (random() % 100 < 45) lists[r].push_back(c);
  const Rows in_order(n, lists), at_random = Renumbered(lists, n, random);
  fast::DulmageMendelsohn ordered(in_order.graph()), scattered(at_random.graph());
  ExpectSameDecomposition(&ordered, &scattered);
  EXPECT_GT(ordered.coarse_rows()[1], 0);
  EXPECT_LT(ordered.coarse_rows()[2], n);
  EXPECT_GT(ordered.blocks(), 1000);
}

// A flag already set: every search, and every flow algorithm (the matching
// reduction's too), stops before it starts.
TEST(FastMatching, CancelledSolvesStop) {
  std::atomic<bool> cancel(true);
  Rows g(2, {{0, 1}, {0}});
  for (auto search : kSearches) {
    fast::MatchingOptions options;
    options.search = search;
    options.cancel = &cancel;
    EXPECT_EQ(fast::MaximumMatching(g.graph(), options).Solve(), fast::Status::kCancelled);
  }
  // Source 0, X = 1, 2, Y = 3, 4, sink 5: a matching reduction for kAuto.
  std::vector<int32_t> tails{0, 0, 1, 1, 2, 3, 4}, heads{1, 2, 3, 4, 3, 5, 5};
  fast::UnitNetwork network{6, int64_t(tails.size()), tails.data(), heads.data(), 0, 5};
  for (auto algorithm : {fast::FlowAlgorithm::kDinic, fast::FlowAlgorithm::kPushRelabel,
                         fast::FlowAlgorithm::kHybrid, fast::FlowAlgorithm::kAuto})
    EXPECT_EQ(fast::UnitMaxFlow(network, algorithm, &cancel).Solve(), fast::Status::kCancelled)
        << "algorithm " << int(algorithm);
}

// Sets `flag` after a while on a thread of its own, as a signal handler or a
// user interface would.
class LateCancel {
 public:
  explicit LateCancel(std::atomic<bool>* flag)
      : thread_([flag] {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          flag->store(true);
        }) {}
  ~LateCancel() { thread_.join(); }

 private:
  std::thread thread_;
};

// Solves that would take minutes stop at the phase after the flag is set:
// Dinic's on source-sink paths of every length from 1 to 1500 (a phase per
// length), and push-relabel matching with a global relabelling after every
// push on a random graph.
TEST(FastMatching, CancelStopsLongSolvesAtTheirNextPhase) {
  const int32_t k = 1500;
  std::vector<int32_t> tails, heads;
  int32_t nodes = 2;  // the source 0 and the sink 1 first
  for (int32_t length = 1; length <= k; ++length)
    for (int32_t step = 0; step < length; ++step) {
      tails.push_back(step == 0 ? 0 : nodes - 1);
      heads.push_back(step + 1 == length ? 1 : nodes++);
    }
  fast::UnitNetwork network{nodes, int64_t(tails.size()), tails.data(), heads.data(), 0, 1};
  std::atomic<bool> cancel(false);
  {
    LateCancel late(&cancel);
    EXPECT_EQ(fast::UnitMaxFlow(network, fast::FlowAlgorithm::kDinic, &cancel).Solve(),
              fast::Status::kCancelled);
  }

  std::mt19937 random(3);
  std::vector<std::vector<int32_t>> lists(200000);
  for (auto& list : lists)
    for (int e = 0; e < 3; ++e) list.push_back(int32_t(random() % lists.size()));
  Rows g(int32_t(lists.size()), lists);
  fast::MatchingOptions options;
  options.initialisation = fast::Initialisation::kNone;
  options.search = fast::Search::kPushRelabel;
  options.global_relabel_factor = 1e-9;
  options.cancel = &cancel;
  cancel = false;
  LateCancel late(&cancel);
  EXPECT_EQ(fast::MaximumMatching(g.graph(), options).Solve(), fast::Status::kCancelled);
}

}  // namespace
