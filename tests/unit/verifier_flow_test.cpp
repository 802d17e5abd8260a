// The verifier's checks of flow files and cuts: each fault a solver could
// make must be found, and a true maximum flow with its cut must pass; and
// its reading, whose memory the problem's declared sizes cannot run away
// with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>

#include "problem_file.h"
#include "problem_text.h"
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

// A flow file whose "c flow value" line is true: the units its arcs bring
// into the sink of g.
verifier::FlowClaim Flow(const Network& g, std::vector<Pair> arcs) {
  int64_t value = 0;
  for (const Pair& a : arcs) value += (a.second == g.sink) - (a.first == g.sink);
  return {value, std::move(arcs), {}};
}

// A cut file whose "c minimum cut capacity" line is true.
verifier::CutClaim Cut(const Network& g, std::vector<int64_t> side) {
  int64_t leaving = 0;
  for (size_t i = 0; i < g.arcs.size(); ++i)
    if (std::count(side.begin(), side.end(), g.arcs[i].first) > 0 &&
        std::count(side.begin(), side.end(), g.arcs[i].second) == 0)
      leaving += g.capacity(i);
  return {leaving, std::move(side)};
}

// Two parallel arcs 0-1 of 5 and 2, on to the sink 3 through 1-3 (4),
// 1-2 (4) and 2-3 (10), and 0-2 (3): the maximum flow is 10, the cut {0};
// every arc one unit, it is 2.
Network capacitated() {
  Network g{4, 0, 3, {{0, 1}, {0, 1}, {1, 3}, {1, 2}, {0, 2}, {2, 3}}, {5, 2, 4, 4, 3, 10}};
  return g;
}

// A flow file of lines "U V X".
verifier::FlowClaim Units(const Network& g, std::vector<std::pair<Pair, int64_t>> lines) {
  verifier::FlowClaim flow{0, {}, {}};
  for (const auto& [arc, units] : lines) {
    flow.arcs.push_back(arc);
    flow.units.push_back(units);
    flow.value += units * ((arc.second == g.sink) - (arc.first == g.sink));
  }
  return flow;
}

TEST(VerifierFlowFile, AcceptsAMaximumFlowInAnyOrder) {
  const Network g = twoRoutes();
  EXPECT_EQ(verifier::checkFlowClaim(g, Flow(g, kMaximum)), "");
  EXPECT_EQ(verifier::checkFlowClaim(g, Flow(g, {{2, 3}, {0, 2}, {1, 3}, {0, 1}})), "");
}

TEST(VerifierFlowFile, RefusesAFlowThatIsNotMaximum) {
  const Network g = twoRoutes();
  EXPECT_NE(verifier::checkFlowClaim(g, Flow(g, {{0, 1}, {1, 3}})), "");
  EXPECT_NE(verifier::checkFlowClaim(g, Flow(g, {})), "");
}

TEST(VerifierFlowFile, RefusesArcsTheNetworkLacks) {
  const Network g = twoRoutes();
  EXPECT_NE(verifier::checkFlowClaim(g, Flow(g, {{0, 3}})), "");
  // 1-3 exists once only.
  EXPECT_NE(verifier::checkFlowClaim(g, Flow(g, {{0, 1}, {0, 1}, {1, 3}, {1, 3}})), "");
  EXPECT_NE(verifier::checkFlowClaim(g, Flow(g, {{-1, 2}, {7, 3}})), "");
}

TEST(VerifierFlowFile, RefusesFlowNotConserved) {
  const Network g = twoRoutes();
  EXPECT_NE(verifier::checkFlowClaim(g, Flow(g, {{0, 1}, {0, 1}, {1, 3}, {0, 2}, {2, 3}})), "");
}

TEST(VerifierFlowFile, SourceEqualToSinkHasValueZero) {
  Network g = twoRoutes();
  g.sink = 0;
  EXPECT_EQ(verifier::checkFlowClaim(g, Flow(g, {})), "");
  EXPECT_EQ(verifier::checkCut(g, Flow(g, {}), Cut(g, {0, 1, 2, 3})), "");
  EXPECT_NE(verifier::checkCut(g, Flow(g, {}), Cut(g, {0})), "");
}

TEST(VerifierCut, AcceptsACutAsLargeAsTheFlow) {
  const Network g = twoRoutes();
  EXPECT_EQ(verifier::checkCut(g, Flow(g, kMaximum), Cut(g, {0, 1})), "");
  EXPECT_EQ(verifier::checkCut(g, Flow(g, kMaximum), Cut(g, {0, 1, 2})), "");
}

TEST(VerifierCut, RefusesBadSides) {
  const Network g = twoRoutes();
  EXPECT_NE(verifier::checkCut(g, Flow(g, kMaximum), Cut(g, {1, 2})), "");        // no source
  EXPECT_NE(verifier::checkCut(g, Flow(g, kMaximum), Cut(g, {0, 1, 2, 3})), "");  // the sink
  EXPECT_NE(verifier::checkCut(g, Flow(g, kMaximum), Cut(g, {0, 1, 1})), "");     // twice
  EXPECT_NE(verifier::checkCut(g, Flow(g, kMaximum), Cut(g, {0, 1, 9})), "");     // no such node
  EXPECT_NE(verifier::checkCut(g, Flow(g, kMaximum), Cut(g, {0})), "");           // capacity 3
}

TEST(VerifierFlowFile, RefusesAFalseValueLine) {
  const Network g = twoRoutes();
  EXPECT_NE(verifier::checkFlowClaim(g, {999, kMaximum, {}}), "");
  EXPECT_NE(verifier::checkCut(g, {3, kMaximum, {}}, Cut(g, {0, 1})), "");
}

TEST(VerifierCut, RefusesAFalseCapacityLine) {
  const Network g = twoRoutes();
  EXPECT_NE(verifier::checkCut(g, Flow(g, kMaximum), {999, {0, 1}}), "");
  EXPECT_NE(verifier::checkCut(g, Flow(g, kMaximum), {3, {0}}), "");
}

TEST(VerifierCut, RefusesACutMatchingAFlowThatIsNotFeasible) {
  const Network g = twoRoutes();
  // A "flow" of 3 units into the sink, not conserved at 1, with a cut of 3.
  EXPECT_NE(verifier::checkCut(g, Flow(g, {{0, 1}, {1, 3}, {1, 3}, {0, 2}, {2, 3}}), Cut(g, {0})),
            "");
}

TEST(VerifierFlowFile, AcceptsUnitsSplitOrJoinedOverParallelArcs) {
  const Network g = capacitated();
  const auto flow =
      Units(g, {{{0, 1}, 5}, {{0, 1}, 2}, {{1, 3}, 4}, {{1, 2}, 3}, {{0, 2}, 3}, {{2, 3}, 6}});
  EXPECT_EQ(verifier::checkFlowClaim(g, flow), "");
  EXPECT_EQ(verifier::checkCut(g, flow, Cut(g, {0})), "");
  // The seven units on 0-1 as one line, or as three and four.
  EXPECT_EQ(verifier::checkFlowClaim(
                g, Units(g, {{{0, 1}, 7}, {{1, 3}, 4}, {{1, 2}, 3}, {{0, 2}, 3}, {{2, 3}, 6}})),
            "");
  EXPECT_EQ(
      verifier::checkFlowClaim(
          g,
          Units(g, {{{0, 1}, 3}, {{1, 3}, 4}, {{1, 2}, 3}, {{0, 2}, 3}, {{2, 3}, 6}, {{0, 1}, 4}})),
      "");
}

TEST(VerifierFlowFile, RefusesUnitsAboveTheCapacity) {
  const Network g = capacitated();
  // Conserved, of value 10, but 5 units on 1-3 of capacity 4.
  EXPECT_EQ(verifier::checkFlowClaim(
                g, Units(g, {{{0, 1}, 7}, {{1, 3}, 5}, {{1, 2}, 2}, {{0, 2}, 3}, {{2, 3}, 5}})),
            "flow of 5 units from node index 1 to 3, above their arcs' capacity 4");
  // 8 units over the parallel arcs 0-1 of 5 and 2.
  EXPECT_NE(verifier::checkFlowClaim(
                g, Units(g, {{{0, 1}, 8}, {{1, 3}, 4}, {{1, 2}, 4}, {{0, 2}, 2}, {{2, 3}, 6}})),
            "");
}

TEST(VerifierCut, WeighsTheArcsLeavingByTheirCapacities) {
  const Network g = capacitated();
  const auto flow = Units(g, {{{0, 1}, 7}, {{1, 3}, 4}, {{1, 2}, 3}, {{0, 2}, 3}, {{2, 3}, 6}});
  EXPECT_EQ(verifier::checkCut(g, flow, Cut(g, {0, 1})), "cut of capacity 11 for a flow of 10");
  EXPECT_NE(verifier::checkCut(g, flow, {2, {0}}), "");  // two arcs leave it, holding 10
  EXPECT_NE(verifier::checkFlowClaim(g, Units(g, {{{0, 2}, 3}, {{2, 3}, 3}})), "");
}

TEST(VerifierFlowValue, TheUnitVersionCountsEveryArcAsOne) {
  const Network g = capacitated();
  EXPECT_EQ(verifier::checkFlowValue(g, 10), "");
  EXPECT_NE(verifier::checkFlowValue(g, 2), "");
  Network unit = g;
  unit.capacities.clear();
  EXPECT_EQ(verifier::checkFlowValue(unit, 2), "");
  EXPECT_NE(verifier::checkFlowValue(unit, 10), "");
}

TEST(VerifierFlowValue, SumsBeyondSixtyFourBitsAreExact) {
  // Three parallel routes of 2^62 each: the maximum, 3 * 2^62, passes 2^63.
  const int64_t big = verifier::kLargestCapacity;
  Network g{2, 0, 1, {{0, 1}, {0, 1}, {0, 1}}, {big, big, big}};
  EXPECT_EQ(verifier::checkFlowValue(g, INT64_MAX),
            "flow 9223372036854775807 claimed, maximum is 13835058055282163712");
  // Built by hand: the claim's value cannot hold the arcs' true sum.
  const verifier::FlowClaim flow{INT64_MAX, {{0, 1}, {0, 1}, {0, 1}}, {big, big, big}};
  EXPECT_EQ(verifier::checkFlowClaim(g, flow),
            "c flow value 9223372036854775807 claimed, the flow's arcs carry 13835058055282163712");
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
    for (size_t i = 0; i < g.arcs.size(); ++i)
      if ((side >> g.arcs[i].first & 1) && !(side >> g.arcs[i].second & 1))
        leaving += g.capacity(i);
    best = std::min(best, leaving);
  }
  return best;
}

TEST(VerifierFlowValue, AgreesWithEveryCutOnSmallRandomNetworks) {
  // The searches from the two ends meet at every depth and on either side
  // here; a phase that labelled the wrong path length would never end. Half
  // the networks have capacities, 0 among them.
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    Network g;
    g.nodes = 2 + random() % 9;
    g.source = random() % g.nodes;
    do g.sink = random() % g.nodes;
    while (g.sink == g.source);
    for (int arcs = random() % (3 * g.nodes); arcs > 0; --arcs) {
      g.arcs.emplace_back(random() % g.nodes, random() % g.nodes);
      if (round % 2) g.capacities.push_back(random() % 9 == 0 ? 0 : random() % 1000);
    }
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

TEST(VerifierReading, RefusesSizesBeyondTheMemoryBudgetBeforeAllocating) {
  // 30 bytes declaring 4 billion vertices: refused at the problem line.
  verifier::TextFile huge("p", "p bipartite-matching 2147483647 2147483647 1\na 1 1\n");
  try {
    verifier::readBipartite(huge);
    ADD_FAILURE() << "read";
  } catch (const verifier::InputFault& fault) {
    EXPECT_EQ(fault.kind, verifier::InputFault::Kind::kMemory) << fault.message;
    EXPECT_EQ(fault.message.rfind("p: ", 0), 0u) << fault.message;
  }
}

TEST(VerifierReading, RefusesVertexIdsBeyondTheMemoryBudgetInMatricesAndEdgeLists) {
  // No header in an edge list, and a matrix's header is the reader's: a few
  // bytes still name two billion vertices, refused before any array is had.
  const std::string path = ::testing::TempDir() + "verifier-huge-ids";
  for (const char* text : {"2000000000 2000000000\n",
                           "%%MatrixMarket matrix coordinate pattern general\n"
                           "2000000000 2000000000 1\n1 1\n"}) {
    { std::ofstream(path) << text; }
    try {
      verifier::readBipartiteFile(path, nullptr);
      ADD_FAILURE() << "read: " << text;
    } catch (const verifier::InputFault& fault) {
      EXPECT_EQ(fault.kind, verifier::InputFault::Kind::kMemory) << fault.message;
      EXPECT_EQ(fault.message.rfind(path + ": ", 0), 0u) << fault.message;
    }
  }
  std::remove(path.c_str());
}
