// The maximality check of augrelabel on matchings handed to it directly:
// no solver result ever makes it speak.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "augrelabel.h"
#include "matching_reader.h"
#include "run_state.h"

graph<match_node> G;
const char* const messageEnd = "";

namespace {

const char* kNotMaximum = "Error: Matching is not maximum!\n";

// Reads `text` into G, replacing the graph of an earlier test, with every
// node free.
void readFree(const std::string& text) {
  delete[] G.nodes;
  delete[] G.arcs;
  G = graph<match_node>();
  FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  parse(G, in);
  std::fclose(in);
  for (match_node* v = G.nodes; v < G.nodes + G.n; ++v) v->mate = G.sink;
}

void pair(int x, int y) {
  G.nodes[x].mate = &G.nodes[y];
  G.nodes[y].mate = &G.nodes[x];
}

std::string check() {
  Queue stack(G.n + 1L);
  testing::internal::CaptureStdout();
  CheckMatching(stack);
  return testing::internal::GetCapturedStdout();
}

// X nodes 0, 1, 2; Y nodes 3, 4, 5; edges 1-1, 1-2, 2-2, 3-3.
const char* kProblem = "p bipartite-matching 3 3 4\na 1 1\na 1 2\na 2 2\na 3 3\n";

TEST(CheckMatching, SilentOnAMaximumMatching) {
  readFree(kProblem);
  pair(0, 3);
  pair(1, 4);
  pair(2, 5);
  EXPECT_EQ(check(), "");
}

TEST(CheckMatching, SpeaksOnceForAFreeEdge) {
  readFree(kProblem);
  pair(0, 3);
  EXPECT_EQ(check(), kNotMaximum);  // 1-4 and 2-5 are both free edges
}

TEST(CheckMatching, FindsALongerAugmentingPath) {
  readFree(kProblem);
  pair(0, 4);  // 1 -> 4 is matched to 0, which reaches the free 3
  pair(2, 5);
  EXPECT_EQ(check(), kNotMaximum);
}

TEST(CheckMatching, SilentWhenTheFreeNodesReachNoFreeNode) {
  readFree("p bipartite-matching 3 2 3\na 1 1\na 2 1\na 3 2\n");
  pair(0, 3);
  pair(2, 4);
  EXPECT_EQ(check(), "");  // X 1 reaches only X 0, whose list holds no free Y
}

}  // namespace
