// The verifier's checks of flow files and cuts: each fault a solver could
// make must be found, and a true maximum flow with its cut must pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "verifier.h"

namespace {

using verifier::Network;
using verifier::Pair;

// Two routes 0-1-3 and 0-2-3, a parallel arc 0-1, a self-loop at 1 and an
// arc back into the source: the maximum flow is 2.
Network twoRoutes() {
  Network g;
  g.nodes = 4;
  g.source = 0;
  g.sink = 3;
  g.arcs = {{0, 1}, {0, 1}, {1, 1}, {1, 3}, {0, 2}, {2, 3}, {3, 0}};
  return g;
}

const std::vector<Pair> kMaximum = {{0, 1}, {1, 3}, {0, 2}, {2, 3}};

TEST(VerifierFlowFile, AcceptsAMaximumFlowInAnyOrder) {
  EXPECT_EQ(verifier::checkFlowArcs(twoRoutes(), kMaximum), "");
  EXPECT_EQ(verifier::checkFlowArcs(twoRoutes(), {{2, 3}, {0, 2}, {1, 3}, {0, 1}}), "");
}

TEST(VerifierFlowFile, RefusesAFlowThatIsNotMaximum) {
  EXPECT_NE(verifier::checkFlowArcs(twoRoutes(), {{0, 1}, {1, 3}}), "");
  EXPECT_NE(verifier::checkFlowArcs(twoRoutes(), {}), "");
}

TEST(VerifierFlowFile, RefusesArcsTheNetworkLacks) {
  EXPECT_NE(verifier::checkFlowArcs(twoRoutes(), {{0, 3}}), "");
  // 1-3 exists once only.
  EXPECT_NE(verifier::checkFlowArcs(twoRoutes(), {{0, 1}, {0, 1}, {1, 3}, {1, 3}}), "");
  EXPECT_NE(verifier::checkFlowArcs(twoRoutes(), {{-1, 2}, {7, 3}}), "");
}

TEST(VerifierFlowFile, RefusesFlowNotConserved) {
  EXPECT_NE(verifier::checkFlowArcs(twoRoutes(), {{0, 1}, {0, 1}, {1, 3}, {0, 2}, {2, 3}}), "");
}

TEST(VerifierFlowFile, SourceEqualToSinkHasValueZero) {
  Network g = twoRoutes();
  g.sink = 0;
  EXPECT_EQ(verifier::checkFlowArcs(g, {}), "");
  EXPECT_EQ(verifier::checkCut(g, {}, {0, 1, 2, 3}), "");
  EXPECT_NE(verifier::checkCut(g, {}, {0}), "");
}

TEST(VerifierCut, AcceptsACutAsLargeAsTheFlow) {
  EXPECT_EQ(verifier::checkCut(twoRoutes(), kMaximum, {0, 1}), "");
  EXPECT_EQ(verifier::checkCut(twoRoutes(), kMaximum, {0, 1, 2}), "");
}

TEST(VerifierCut, RefusesBadSides) {
  EXPECT_NE(verifier::checkCut(twoRoutes(), kMaximum, {1, 2}), "");        // no source
  EXPECT_NE(verifier::checkCut(twoRoutes(), kMaximum, {0, 1, 2, 3}), "");  // the sink
  EXPECT_NE(verifier::checkCut(twoRoutes(), kMaximum, {0, 1, 1}), "");     // twice
  EXPECT_NE(verifier::checkCut(twoRoutes(), kMaximum, {0, 1, 9}), "");     // no such node
  EXPECT_NE(verifier::checkCut(twoRoutes(), kMaximum, {0}), "");           // capacity 3
}

TEST(VerifierCut, RefusesACutMatchingAFlowThatIsNotFeasible) {
  // A "flow" of 3 units into the sink, not conserved at 1, with a cut of 3.
  EXPECT_NE(verifier::checkCut(twoRoutes(), {{0, 1}, {1, 3}, {1, 3}, {0, 2}, {2, 3}}, {0}), "");
}

TEST(VerifierFlowValue, FindsTheMaximumOnLayeredRoutes) {
  // A grid of k layers of k nodes, each joined to the two nodes below it:
  // a network whose shortest augmenting paths lengthen phase after phase.
  const int k = 6;
  Network g;
  g.nodes = k * k + 2;
  g.source = k * k;
  g.sink = k * k + 1;
  for (int x = 0; x < k; ++x) {
    g.arcs.emplace_back(g.source, x);
    g.arcs.emplace_back((k - 1) * k + x, g.sink);
    for (int y = 0; y + 1 < k; ++y) {
      g.arcs.emplace_back(y * k + x, (y + 1) * k + x);
      g.arcs.emplace_back(y * k + x, (y + 1) * k + (x + 1) % k);
    }
  }
  EXPECT_EQ(verifier::checkFlowValue(g, k), "");
  EXPECT_NE(verifier::checkFlowValue(g, k - 1), "");
}

// The smallest cut by trying every source side: the maximum flow's value.
int64_t smallestCutByEnumeration(const Network& g) {
  int64_t best = INT64_MAX;
  for (uint32_t side = 0; side < (1u << g.nodes); ++side) {
    if (!(side >> g.source & 1) || (side >> g.sink & 1)) continue;
    int64_t leaving = 0;
    for (const Pair& a : g.arcs) leaving += (side >> a.first & 1) && !(side >> a.second & 1);
    best = std::min(best, leaving);
  }
  return best;
}

TEST(VerifierFlowValue, AgreesWithEveryCutOnSmallRandomNetworks) {
  // The searches from the two ends meet at every depth and on either side
  // here; a phase that labelled the wrong path length would never end.
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    Network g;
    g.nodes = 2 + random() % 9;
    g.source = random() % g.nodes;
    do g.sink = random() % g.nodes;
    while (g.sink == g.source);
    for (int arcs = random() % (3 * g.nodes); arcs > 0; --arcs)
      g.arcs.emplace_back(random() % g.nodes, random() % g.nodes);
    int64_t value = smallestCutByEnumeration(g);
    EXPECT_EQ(verifier::checkFlowValue(g, value), "") << "round " << round;
    EXPECT_NE(verifier::checkFlowValue(g, value + 1), "") << "round " << round;
  }
}

TEST(VerifierMatchingSize, HopcroftKarpFindsAPerfectMatchingBehindAGreedyTrap) {
  // A greedy pass in list order matches 1-1 and leaves 2 unmatched; the
  // maximum needs an augmenting path 2-1-1-2.
  verifier::Bipartite g{2, 2, {{1, 1}, {1, 2}, {2, 1}}};
  EXPECT_EQ(verifier::checkMatchingSize(g, 2), "");
  EXPECT_NE(verifier::checkMatchingSize(g, 1), "");
}

}  // namespace
