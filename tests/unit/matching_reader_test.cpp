// The order of the entries in every list after reading: the solvers scan
// neighbours in this order, so it decides their tie-breaks and counters.
#include "matching_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "run_state.h"

const char* const messageEnd = "";

namespace {

struct TestNode : node_basic_data<TestNode*> {};

using Lists = std::vector<std::vector<long>>;

// A graph read from `text`; the programs never free theirs, a test does.
struct ReadGraph : graph<TestNode> {
  explicit ReadGraph(const std::string& text) {
    FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    parse(*this, in);
    std::fclose(in);
  }
  ~ReadGraph() {
    delete[] nodes;
    delete[] arcs;
  }
};

Lists listsOf(const graph<TestNode>& g) {
  Lists lists;
  for (const TestNode* v = g.nodes; v < g.nodes + g.n; ++v) {
    lists.emplace_back();
    for (TestNode** a = v->first; a < g.endOf(v); ++a) lists.back().push_back(g.index(*a));
  }
  return lists;
}

TEST(MatchingReader, WorkedExampleLists) {
  ReadGraph g("p bipartite-matching 2 2 3\na 1 2\na 2 1\na 2 2\n");
  EXPECT_EQ(g.n, 6);
  EXPECT_EQ(g.m, 14);
  EXPECT_EQ(listsOf(g), (Lists{{3, 4}, {2, 4, 3}, {1, 5}, {0, 1, 5}, {1, 0}, {2, 3}}));
  EXPECT_EQ(g.index(g.source), 4);
  EXPECT_EQ(g.index(g.sink), 5);
}

TEST(MatchingReader, SidesWithoutEdges) {
  ReadGraph g("p bipartite-matching 1 1 0\n");
  EXPECT_EQ(listsOf(g), (Lists{{2}, {3}, {0}, {1}}));
}

TEST(MatchingReader, ListsAreContiguousAndEndAtTheSpareElement) {
  ReadGraph g("p bipartite-matching 2 3 1\na 2 3\n");
  EXPECT_EQ(g.nodes[0].first, g.arcs);
  for (int i = 0; i < g.n; ++i) EXPECT_LE(g.nodes[i].first, g.nodes[i + 1].first);
  EXPECT_EQ(g.nodes[g.n].first, g.arcs + g.m);
  EXPECT_EQ(g.index(g.nodes + g.n), g.n);
}

TEST(MatchingReader, ParallelEdgesAreAllStored) {
  ReadGraph g("p bipartite-matching 1 1 3\na 1 1\na 1 1\na 1 1\n");
  EXPECT_EQ(listsOf(g), (Lists{{1, 1, 1, 2}, {0, 0, 0, 3}, {0}, {1}}));
}

TEST(MatchingReader, MaxNetworkTakesTerminalsFromNodeLines) {
  // Node lines after the arcs; the Y -> X arc is stored in both lists too.
  ReadGraph g("c comment\np max 5 4\na 2 4 1\na 4 5 1\na 1 2 1\na 3 1 1\nn 5 t\nn 1 s\n");
  EXPECT_EQ(g.index(g.source), 0);
  EXPECT_EQ(g.index(g.sink), 4);
  EXPECT_EQ(listsOf(g), (Lists{{2, 1}, {3, 0}, {0}, {4, 1}, {3}}));
}

TEST(MatchingReader, LastLineWithoutTerminatorAndLongLines) {
  std::string comment = "c " + std::string(5000, 'x') + "\n";
  ReadGraph g(comment + "p bipartite-matching 1 1 1\na 1 1" + std::string(300, ' '));
  EXPECT_EQ(listsOf(g), (Lists{{1, 2}, {0, 3}, {0}, {1}}));
}

}  // namespace
