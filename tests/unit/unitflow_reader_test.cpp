// The unit-flow reader: the order of the records in each list and the
// pairing of every record with its reverse, which no report line shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "fail.h"
#include "flow_reader.h"
#include "run_state.h"

const char* const messageEnd = "\n";

namespace {

// A network read from `text`; the programs never free theirs, a test does.
struct ReadGraph : FlowGraph {
  explicit ReadGraph(const char* text) {
    FILE* in = fmemopen(const_cast<char*>(text), std::strlen(text), "r");
    parse(*this, in);
    std::fclose(in);
  }
  ~ReadGraph() {
    delete[] nodes;
    delete[] arcs;
  }
};

// Node number (from 1) and cap of every record of node v's list, in order.
std::vector<std::pair<long, int>> listOf(const FlowGraph& g, int v) {
  std::vector<std::pair<long, int>> list;
  const node_flow_data* node = g.nodes + v;
  for (const flow_arc* r = node->first; r < g.endOf(node); ++r)
    list.emplace_back(g.index(r->to) + 1, r->cap);
  return list;
}

// Every record r: r.pair.pair == r, opposite `full`, full == 1 − cap right
// after reading, and r lies in the list of the node its pair leads to.
void expectPaired(const FlowGraph& g) {
  for (int v = 0; v < g.n; ++v) {
    const node_flow_data* node = g.nodes + v;
    for (const flow_arc* r = node->first; r < g.endOf(node); ++r) {
      SCOPED_TRACE("record " + std::to_string(r - g.arcs));
      ASSERT_GE(r->pair, g.arcs);
      ASSERT_LT(r->pair, g.arcs + g.m);
      EXPECT_EQ(r->pair->pair, r);
      EXPECT_EQ(r->full + r->pair->full, 1);
      EXPECT_EQ(r->full, 1 - r->cap);
      EXPECT_EQ(r->pair->to, node);
    }
  }
}

TEST(UnitFlowReader, WorkedExampleLists) {
  ReadGraph g("p max 4 5\nn 1 s\nn 4 t\na 1 2 1\na 1 3 1\na 2 3 1\na 2 4 1\na 3 4 1\n");
  ASSERT_EQ(g.n, 4);
  ASSERT_EQ(g.m, 10);
  EXPECT_EQ(g.source, g.nodes);
  EXPECT_EQ(g.sink, g.nodes + 3);
  using L = std::vector<std::pair<long, int>>;
  EXPECT_EQ(listOf(g, 0), (L{{2, 1}, {3, 1}}));
  EXPECT_EQ(listOf(g, 1), (L{{1, 0}, {4, 1}, {3, 1}}));
  EXPECT_EQ(listOf(g, 2), (L{{1, 0}, {2, 0}, {4, 1}}));
  EXPECT_EQ(listOf(g, 3), (L{{2, 0}, {3, 0}}));
  EXPECT_EQ(g.nodes[0].first, g.arcs);
  EXPECT_EQ(g.nodes[4].first, g.arcs + g.m);
  expectPaired(g);
}

// Each pair joins the two records of one input arc: the forward record of
// 2→4 is paired with the reverse record in 4's list, not with another one.
TEST(UnitFlowReader, WorkedExamplePairsJoinTheSameArc) {
  ReadGraph g("p max 4 5\nn 1 s\nn 4 t\na 1 2 1\na 1 3 1\na 2 3 1\na 2 4 1\na 3 4 1\n");
  const flow_arc* twoToFour = g.nodes[1].first + 1;
  EXPECT_EQ(twoToFour->pair, g.nodes[3].first);
  const flow_arc* threeToFour = g.nodes[2].first + 2;
  EXPECT_EQ(threeToFour->pair, g.nodes[3].first + 1);
}

// Self-loops put both records in one list, parallel arcs give separate
// pairs, and nodes without arcs get empty runs; the pairing survives the
// longer exchange chains these make.
TEST(UnitFlowReader, PairsSurviveSelfLoopsParallelArcsAndEmptyLists) {
  ReadGraph g(
      "p unit-flow 7 9\nn 7 t\nn 2 s\n"
      "a 5 5 1\na 7 2 1\na 2 7 1\na 2 7 3\na 4 2 1\na 5 5 1\na 7 4 1\na 2 4 1\na 4 7 1\n");
  ASSERT_EQ(g.m, 18);
  expectPaired(g);
  EXPECT_EQ(g.endOf(g.nodes + 0), g.nodes[0].first);
  EXPECT_EQ(listOf(g, 4).size(), 4u);
  long records = 0;
  for (int v = 0; v < g.n; ++v) records += g.endOf(g.nodes + v) - g.nodes[v].first;
  EXPECT_EQ(records, g.m);
}

// A network read with node numbers starting at 0.
TEST(UnitFlowReader, LabelOffsetShiftsNodeNumbers) {
  param.labelOffset = 0;
  ReadGraph g("p max 3 2\nn 0 s\nn 2 t\na 0 1 1\na 1 2 1\n");
  param.labelOffset = 1;
  EXPECT_EQ(g.source, g.nodes);
  EXPECT_EQ(g.sink, g.nodes + 2);
  using L = std::vector<std::pair<long, int>>;
  EXPECT_EQ(listOf(g, 1), (L{{1, 0}, {3, 1}}));
  expectPaired(g);
}

}  // namespace
