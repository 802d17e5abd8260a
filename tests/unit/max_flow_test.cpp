// The capacitated max-flow core against a plain reference: thousands of small
// random networks with every awkward feature, each solved by every algorithm,
// each result proven by its certificate; and the refusals.
#include "fastcore/max_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <queue>
#include <random>
#include <vector>

namespace {

using fast::MaxFlow;
using fast::MaxFlowAlgorithm;
using fast::Status;

const MaxFlowAlgorithm kAlgorithms[] = {
    MaxFlowAlgorithm::kHighestLabel,     MaxFlowAlgorithm::kPartialAugment,
    MaxFlowAlgorithm::kPushRelabel,      MaxFlowAlgorithm::kDinic,
    MaxFlowAlgorithm::kBoykovKolmogorov, MaxFlowAlgorithm::kPseudoflow,
    MaxFlowAlgorithm::kHybrid,           MaxFlowAlgorithm::kAuto};

struct Arcs {
  int32_t nodes = 0, source = 0, sink = 0;
  std::vector<int32_t> tails, heads;
  std::vector<int64_t> capacities;

  fast::FlowNetwork view() const {
    return {nodes, int64_t(tails.size()), tails.data(), heads.data(), capacities.data(), source,
            sink};
  }
};

// The reference: shortest augmenting paths on a matrix of summed capacities,
// wide enough for any sum.
int64_t ReferenceValue(const Arcs& g) {
  const int n = g.nodes;
  std::vector<std::vector<__int128>> residual(n, std::vector<__int128>(n, 0));
  for (size_t i = 0; i < g.tails.size(); ++i) residual[g.tails[i]][g.heads[i]] += g.capacities[i];
  __int128 value = 0;
  for (;;) {
    std::vector<int> parent(n, -1);
    parent[g.source] = g.source;
    std::queue<int> queue;
    queue.push(g.source);
    while (!queue.empty() && parent[g.sink] < 0) {
      const int u = queue.front();
      queue.pop();
      for (int v = 0; v < n; ++v)
        if (parent[v] < 0 && residual[u][v] > 0) parent[v] = u, queue.push(v);
    }
    if (g.source == g.sink || parent[g.sink] < 0) return int64_t(value);
    __int128 bottleneck = residual[parent[g.sink]][g.sink];
    for (int v = g.sink; v != g.source; v = parent[v])
      bottleneck = std::min(bottleneck, residual[parent[v]][v]);
    for (int v = g.sink; v != g.source; v = parent[v]) {
      residual[parent[v]][v] -= bottleneck;
      residual[v][parent[v]] += bottleneck;
    }
    value += bottleneck;
  }
}

// A small network: parallel and antiparallel arcs, self-loops, arcs into the
// source and out of the sink come by chance; capacities are drawn from one
// scale a network (all 1 now and then), with zeros among them, and the
// source's and the sink's arcs are scaled so that their totals stay within
// 2^62 unless `overflow`.
Arcs RandomNetwork(std::mt19937_64& random, bool overflow) {
  Arcs g;
  g.nodes = int32_t(2 + random() % 11);
  g.source = int32_t(random() % g.nodes);
  g.sink = random() % 16 == 0 ? g.source : int32_t(random() % g.nodes);
  const int arcs = int(random() % 40);
  const int64_t scales[] = {
      1, 2, 10, 1000, int64_t{1} << 40, fast::kMaxCapacity / 64, fast::kMaxCapacity};
  const int64_t scale = scales[random() % 7];
  for (int i = 0; i < arcs; ++i) {
    g.tails.push_back(int32_t(random() % g.nodes));
    g.heads.push_back(int32_t(random() % g.nodes));
    int64_t c = scale == 1 ? 1 : int64_t(random() % uint64_t(scale + 1));
    if (random() % 8 == 0) c = random() % 2 ? 0 : scale;
    g.capacities.push_back(c);
  }
  if (overflow) return g;
  for (bool out : {true, false}) {
    const std::vector<int32_t>& ends = out ? g.tails : g.heads;
    const int32_t terminal = out ? g.source : g.sink;
    __int128 total = 0;
    for (int i = 0; i < arcs; ++i)
      if (ends[i] == terminal && g.tails[i] != g.heads[i]) total += g.capacities[i];
    if (total <= fast::kMaxCapacity) continue;
    for (int i = 0; i < arcs; ++i)
      if (ends[i] == terminal)
        g.capacities[i] = int64_t(g.capacities[i] / (total / fast::kMaxCapacity + 1));
  }
  return g;
}

// Frames of k x k grids with wide arcs both ways, joined frame to frame by
// narrow arcs from a random permutation, the source at the first frame's
// corner and the sink at the last one's: the shape where excess must find
// its way through many narrow cuts, and labels climb in steps.
Arcs FramedGrids(std::mt19937_64& random) {
  Arcs g;
  const int k = int(2 + random() % 4), frames = int(2 + random() % 7);
  g.nodes = k * k * frames, g.source = 0, g.sink = g.nodes - 1;
  auto arc = [&](int u, int v, int64_t c) {
    g.tails.push_back(u), g.heads.push_back(v), g.capacities.push_back(c);
  };
  for (int f = 0; f < frames; ++f) {
    const int base = f * k * k;
    for (int i = 0; i < k * k; ++i) {
      const int64_t wide = int64_t(10000 * k * k);
      if (i % k + 1 < k) arc(base + i, base + i + 1, wide), arc(base + i + 1, base + i, wide);
      if (i + k < k * k) arc(base + i, base + i + k, wide), arc(base + i + k, base + i, wide);
    }
    if (f + 1 == frames) break;
    std::vector<int> permutation(k * k);
    for (int i = 0; i < k * k; ++i) permutation[i] = i;
    std::shuffle(permutation.begin(), permutation.end(), random);
    for (int i = 0; i < k * k; ++i)
      arc(base + i, base + k * k + permutation[i], int64_t(1 + random() % 10000));
  }
  // In a random order, which decides the order of every node's arcs.
  for (size_t i = g.tails.size(); i > 1; --i) {
    const size_t j = random() % i;
    std::swap(g.tails[i - 1], g.tails[j]);
    std::swap(g.heads[i - 1], g.heads[j]);
    std::swap(g.capacities[i - 1], g.capacities[j]);
  }
  return g;
}

TEST(MaxFlow, EveryAlgorithmAgreesWithTheReferenceAndProvesItsResult) {
  std::mt19937_64 random(24);
  for (int trial = 0; trial < 3000; ++trial) {
    const Arcs g = trial % 4 == 3 ? FramedGrids(random) : RandomNetwork(random, false);
    const int64_t expected = ReferenceValue(g);
    for (MaxFlowAlgorithm algorithm : kAlgorithms) {
      MaxFlow flow(g.view(), algorithm);
      ASSERT_EQ(flow.Solve(), Status::kOptimal) << "trial " << trial;
      ASSERT_EQ(flow.value(), expected) << "trial " << trial << ", algorithm " << int(algorithm);
      ASSERT_TRUE(flow.CheckResult()) << "trial " << trial << ", algorithm " << int(algorithm);
    }
  }
}

// A total out of the source or into the sink beyond 2^62 is refused, never
// wrapped; one of exactly 2^62 is solved.
TEST(MaxFlow, TotalsBeyondTheLimitAreRefused) {
  const int64_t half = fast::kMaxCapacity / 2;
  Arcs g;
  g.nodes = 3, g.source = 0, g.sink = 2;
  g.tails = {0, 0, 1};
  g.heads = {1, 1, 2};
  g.capacities = {half, half, fast::kMaxCapacity};
  for (MaxFlowAlgorithm algorithm : kAlgorithms) {
    MaxFlow flow(g.view(), algorithm);
    ASSERT_EQ(flow.Solve(), Status::kOptimal);
    EXPECT_EQ(flow.value(), fast::kMaxCapacity);
  }
  g.capacities[1] = half + 1;
  EXPECT_EQ(MaxFlow(g.view()).Solve(), Status::kCapacityOverflow);
  g.capacities = {1, 1, fast::kMaxCapacity};
  g.tails.push_back(0), g.heads.push_back(2), g.capacities.push_back(fast::kMaxCapacity);
  EXPECT_EQ(MaxFlow(g.view()).Solve(), Status::kCapacityOverflow);  // into the sink
  std::mt19937_64 random(62);
  for (int trial = 0; trial < 200; ++trial) {
    const Arcs h = RandomNetwork(random, true);
    MaxFlow flow(h.view());
    const Status status = flow.Solve();
    if (status == Status::kOptimal) {
      EXPECT_EQ(flow.value(), ReferenceValue(h)) << "trial " << trial;
    } else {
      EXPECT_EQ(status, Status::kCapacityOverflow) << "trial " << trial;
    }
  }
}

TEST(MaxFlow, CapacitiesOutOfRangeAreInvalid) {
  Arcs g;
  g.nodes = 2, g.source = 0, g.sink = 1;
  g.tails = {0}, g.heads = {1};
  for (int64_t bad : {int64_t{-1}, fast::kMaxCapacity + 1, INT64_MAX}) {
    g.capacities = {bad};
    EXPECT_EQ(MaxFlow(g.view()).Solve(), Status::kInvalidInput) << bad;
  }
}

// A flag already set stops every algorithm before its first phase, on a
// network with capacities and on a unit one.
TEST(MaxFlow, CancelledSolvesStop) {
  std::atomic<bool> cancel(true);
  std::mt19937_64 random(5);
  Arcs g = RandomNetwork(random, false);
  while (ReferenceValue(g) == 0) g = RandomNetwork(random, false);
  for (bool unit : {false, true}) {
    if (unit) std::fill(g.capacities.begin(), g.capacities.end(), 1);
    for (MaxFlowAlgorithm algorithm : kAlgorithms)
      EXPECT_EQ(MaxFlow(g.view(), algorithm, &cancel).Solve(), Status::kCancelled)
          << "algorithm " << int(algorithm) << (unit ? ", unit" : "");
  }
}

// With every capacity 1 the unit solver runs, with its counters; a forced
// capacitated algorithm runs on the same network and finds the same value.
TEST(MaxFlow, UnitNetworksGoToTheUnitSolver) {
  std::mt19937_64 random(1);
  for (int trial = 0; trial < 200; ++trial) {
    Arcs g = RandomNetwork(random, false);
    std::fill(g.capacities.begin(), g.capacities.end(), 1);
    const fast::UnitNetwork unit{
        g.nodes, int64_t(g.tails.size()), g.tails.data(), g.heads.data(), g.source, g.sink};
    fast::UnitMaxFlow reference(unit, fast::FlowAlgorithm::kAuto);
    ASSERT_EQ(reference.Solve(), Status::kOptimal);
    MaxFlow flow(g.view());
    ASSERT_EQ(flow.Solve(), Status::kOptimal);
    EXPECT_TRUE(flow.unit());
    EXPECT_EQ(flow.value(), reference.value());
    EXPECT_EQ(flow.counters().arc_scans, reference.counters().arc_scans);
    MaxFlow forced(g.view(), MaxFlowAlgorithm::kHighestLabel);
    ASSERT_EQ(forced.Solve(), Status::kOptimal);
    EXPECT_FALSE(forced.unit());
    EXPECT_EQ(forced.value(), reference.value());
  }
}

}  // namespace
