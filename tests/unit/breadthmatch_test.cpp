// State that no report line of breadthmatch shows: marks, the matching
// itself and the work queues after the run.
#include "breadthmatch.h"

#include "augpath_fixture.h"

graph<match_node> G;
const char* const messageEnd = "";

namespace {

void solve(const std::string& text, Queue& bfsQueue, Queue& reached) {
  load(G, text);
  param.greedyInit = 1;
  bfsQueue.allocate(G.n + 1L);
  reached.allocate(G.n + 1L);
  bfsBIM(bfsQueue, reached);
}

match_node* xNode(int k) { return &G.nodes[k - 1]; }

TEST(BreadthMatch, FailedSearchesKeepTheirMarks) {
  Queue bfsQueue, reached;
  solve(kFailedSearch, bfsQueue, reached);
  // x4's search reached x2 and failed; x1's search reached nothing new.
  EXPECT_EQ(marksOf(G), (std::vector<int32_t>{1, 1, 0, 1}));
  EXPECT_EQ(checkedMatchingSize(G), 2);
  EXPECT_TRUE(bfsQueue.isEmpty() && reached.isEmpty());
}

TEST(BreadthMatch, SuccessfulSearchesClearTheirMarks) {
  Queue bfsQueue, reached;
  solve(kMarksCleared, bfsQueue, reached);
  // x4 was reached by x1's search on a branch the path did not use.
  EXPECT_EQ(marksOf(G), (std::vector<int32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(checkedMatchingSize(G), 5);
  EXPECT_TRUE(bfsQueue.isEmpty() && reached.isEmpty());
}

TEST(BreadthMatch, PathFlipsAlongParents) {
  Queue bfsQueue, reached;
  solve(kPathOfThree, bfsQueue, reached);
  // Greedy: x2-y1, x3-y2; the path x1 y1 x2 y2 x3 y3 shifts every pair.
  match_node* y1 = &G.nodes[3];
  EXPECT_EQ(xNode(1)->mate, y1);
  EXPECT_EQ(xNode(2)->mate, y1 + 1);
  EXPECT_EQ(xNode(3)->mate, y1 + 2);
  EXPECT_EQ(checkedMatchingSize(G), 3);
}

}  // namespace
