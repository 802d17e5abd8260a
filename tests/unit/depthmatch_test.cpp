// State that no report line of depthmatch shows: marks, look-ahead
// positions, the matching itself and the work queues after the run.
#include "depthmatch.h"

#include "augpath_fixture.h"

graph<match_node> G;
const char* const messageEnd = "";

namespace {

void solve(const std::string& text, Queue& path, Queue& reached) {
  load(G, text);
  param.greedyInit = 1;
  path.allocate(G.n + 1L);
  reached.allocate(G.n + 1L);
  dfsBIM(path, reached);
}

match_node* xNode(int k) { return &G.nodes[k - 1]; }

TEST(DepthMatch, FailedSearchesKeepTheirMarks) {
  Queue path, reached;
  solve(kFailedSearch, path, reached);
  // x4's search reached x2 and failed; x1's search reached nothing new.
  EXPECT_EQ(marksOf(G), (std::vector<int32_t>{1, 1, 0, 1}));
  EXPECT_EQ(checkedMatchingSize(G), 2);
  EXPECT_TRUE(path.isEmpty() && reached.isEmpty());
}

TEST(DepthMatch, SuccessfulSearchesClearTheirMarks) {
  Queue path, reached;
  solve(kMarksCleared, path, reached);
  EXPECT_EQ(marksOf(G), (std::vector<int32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(checkedMatchingSize(G), 5);
  EXPECT_TRUE(path.isEmpty() && reached.isEmpty());
}

TEST(DepthMatch, LookAheadStopsAtTheFreeNodeOrTheEnd) {
  Queue path, reached;
  solve(kPathOfThree, path, reached);
  // Lists: x2: y1 s y2, x3: y2 y3 s. x2's look-ahead found nothing; x3's
  // stopped at y3, the node its path ended at.
  EXPECT_EQ(xNode(2)->lookahead, G.endOf(xNode(2)));
  EXPECT_EQ(xNode(3)->lookahead, xNode(3)->first + 1);
  EXPECT_EQ(xNode(3)->mate, *xNode(3)->lookahead);
  // Never used on a node that was never reached.
  EXPECT_EQ(xNode(1)->lookahead, xNode(1)->first);
}

TEST(DepthMatch, LookAheadOnlyPassesMatchedNodes) {
  Queue path, reached;
  solve(kMarksCleared, path, reached);
  for (match_node** s = G.source->first; s < G.endOf(G.source); ++s) {
    match_node* x = *s;
    ASSERT_GE(x->lookahead, x->first);
    ASSERT_LE(x->lookahead, G.endOf(x));
    for (match_node** a = x->first; a < x->lookahead; ++a)
      EXPECT_TRUE(*a == G.source || (*a)->mate != G.sink) << "X node " << G.index(x);
  }
}

}  // namespace
