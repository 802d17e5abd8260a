// The matching core on graphs built by hand and on random ones, against a
// plain augmenting-path count, for every initialisation and search.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "matching.h"

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

// Kuhn's algorithm: one augmenting-path search per row.
int64_t ReferenceSize(const Rows& g) {
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
  int64_t size = 0;
  for (int32_t r = 0; r + 1 < static_cast<int32_t>(g.offsets.size()); ++r) {
    seen.assign(g.cols, 0);
    size += augment(r);
  }
  return size;
}

const fast::Initialisation kInitialisations[] = {
    fast::Initialisation::kNone, fast::Initialisation::kGreedy, fast::Initialisation::kKarpSipser};

const fast::Search kSearches[] = {fast::Search::kPothenFan, fast::Search::kPushRelabel};

void ExpectMaximum(const Rows& g, int64_t expected) {
  for (auto initialisation : kInitialisations)
    for (auto search : kSearches)
      for (double relabel_factor : {1.0, 0.01, 1000.0}) {
        fast::MatchingOptions options;
        options.initialisation = initialisation;
        options.search = search;
        options.global_relabel_factor = relabel_factor;
        fast::MaximumMatching matching(g.graph(), options);
        ASSERT_EQ(matching.Solve(), fast::Status::kOptimal);
        EXPECT_EQ(matching.size(), expected)
            << "initialisation " << int(initialisation) << ", search " << int(search);
        EXPECT_TRUE(matching.CheckResult());
      }
}

TEST(FastMatching, GreedyTrapNeedsAnAugmentingPath) {
  // Row 0 takes column 0 greedily; only 0-1, 1-0 matches both rows.
  ExpectMaximum(Rows(2, {{0, 1}, {0}}), 2);
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
}

}  // namespace
