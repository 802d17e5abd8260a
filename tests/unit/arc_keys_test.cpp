// The list building of the readers: the permutation that follows the chain
// of exchanges with the owners cached per run must leave every key exactly
// where the plain exchange loop leaves it, since the solvers scan the lists
// in that order.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "arc_lists.h"

namespace {

struct KeyNode : node_basic_data<KeyNode*> {};

// The plain loop: counts[x] is x's next unfilled position; each position of
// each run is settled by exchanges with the owners' next positions.
std::vector<uint64_t> plainOrder(std::vector<uint64_t> keys, const std::vector<int32_t>& owners,
                                 int32_t n) {
  std::vector<int32_t> counts(n + 1, 0), ends(n);
  for (int32_t o : owners) ++counts[o + 1];
  for (int32_t x = 1; x <= n; ++x) counts[x] += counts[x - 1];
  for (int32_t x = 0; x < n; ++x) ends[x] = counts[x + 1];
  for (int32_t x = 0; x < n; ++x) {
    for (int32_t p = counts[x]; p < ends[x]; ++p) {
      while (ArcKeys::owner(keys[p]) != x) {
        int32_t j = counts[ArcKeys::owner(keys[p])]++;
        std::swap(keys[p], keys[j]);
      }
    }
  }
  return keys;
}

// Adds the keys of `owners` (payload: input position) through ArcKeys and
// returns the array and the list starts after sorting.
std::pair<std::vector<uint64_t>, std::vector<long>> sorted(const std::vector<int32_t>& owners,
                                                           int32_t n) {
  graph<KeyNode> G;
  EXPECT_TRUE(G.makeNodes(n));
  EXPECT_TRUE(G.makeArcs(static_cast<int32_t>(owners.size())));
  std::vector<uint64_t> result;
  std::vector<long> starts;
  {
    ArcKeys keys;
    keys.start(G.arcs, n);
    for (size_t i = 0; i < owners.size(); ++i) keys.add(owners[i], uint32_t(i));
    keys.sortIntoLists(G);
    for (int32_t i = 0; i < G.m; ++i) result.push_back(keys.get(i));
  }
  for (int32_t x = 0; x <= n; ++x) starts.push_back(G.nodes[x].first - G.arcs);
  delete[] G.nodes;
  delete[] G.arcs;
  return {result, starts};
}

void expectPlainOrder(const std::vector<int32_t>& owners, int32_t n) {
  std::vector<uint64_t> input;
  for (size_t i = 0; i < owners.size(); ++i) input.push_back(ArcKeys::key(owners[i], uint32_t(i)));
  auto [keys, starts] = sorted(owners, n);
  EXPECT_EQ(keys, plainOrder(input, owners, n));
  long position = 0;
  for (int32_t x = 0; x < n; ++x) {
    ASSERT_EQ(starts[x], position);
    for (; position < starts[x + 1]; ++position) ASSERT_EQ(ArcKeys::owner(keys[position]), x);
  }
  EXPECT_EQ(starts[n], long(owners.size()));
}

TEST(ArcKeys, PacksOwnerAndPayload) {
  uint64_t k = ArcKeys::key(2147483646, 0xfffffffeu);
  EXPECT_EQ(ArcKeys::owner(k), 2147483646);
  EXPECT_EQ(ArcKeys::payload(k), 0xfffffffeu);
  EXPECT_EQ(ArcKeys::owner(ArcKeys::key(0, 7)), 0);
}

TEST(ArcKeys, SmallShapes) {
  expectPlainOrder({0}, 1);
  expectPlainOrder({1, 0}, 2);                          // one exchange
  expectPlainOrder({2, 2, 1, 0, 0, 1}, 3);              // chains through every run
  expectPlainOrder({0, 0, 0}, 4);                       // nodes without entries
  expectPlainOrder({3, 3, 3, 0, 1, 2}, 4);              // runs of other sizes than their share
  expectPlainOrder({4, 1, 4, 0, 3, 2, 1, 3, 2, 0}, 5);  // each edge twice, like a reader
}

// A node that owns most entries is met again and again within a few
// exchanges, before its cached owner has been topped up.
TEST(ArcKeys, RunsMetAgainAtOnce) {
  std::vector<int32_t> owners;
  for (int i = 0; i < 500; ++i) {
    owners.push_back(0);
    owners.push_back(1 + i % 7);
  }
  expectPlainOrder(owners, 8);
  std::vector<int32_t> reversed(owners.rbegin(), owners.rend());
  expectPlainOrder(reversed, 8);
}

TEST(ArcKeys, RandomOwners) {
  std::mt19937 random(9);
  for (int round = 0; round < 200; ++round) {
    int32_t n = 1 + int32_t(random() % (round < 100 ? 10 : 3000));
    size_t m = random() % (round < 100 ? 40 : 20000);
    std::vector<int32_t> owners;
    for (size_t i = 0; i < m; ++i) owners.push_back(int32_t(random() % n));
    expectPlainOrder(owners, n);
  }
}

}  // namespace
