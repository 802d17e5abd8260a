// Labels of nodes that global updates do not reach grow by n at every
// update; they must stay at n or more without ever wrapping around.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "fail.h"
#include "flow_reader.h"
#include "run_state.h"
#include "unitflow.h"

FlowGraph G;
bucketArray<node_flow_data> ba;
const char* const messageEnd = "\n";

namespace {

// 1 → 2 → 4 reaches the sink 4; node 3 only has an arc from the source, so
// it cannot reach the sink. Read once; every call starts from fresh labels.
void readNetwork() {
  if (G.nodes == nullptr) {
    static char text[] = "p max 4 3\nn 1 s\nn 4 t\na 1 2 1\na 2 4 1\na 1 3 1\n";
    FILE* in = fmemopen(text, std::strlen(text), "r");
    parse(G, in);
    std::fclose(in);
    ASSERT_TRUE(ba.initialize(G.n, G.n));
  }
  for (node_flow_data* v = G.nodes; v < G.nodes + G.n; ++v) {
    v->reinitialize();
    v->current = v->first;
  }
}

TEST(UnitFlowLabels, UnreachedLabelGrowsByNodeCount) {
  readNetwork();
  Queue bfsQueue(G.n + 1L);
  G.nodes[2].d = 1000;
  globalUpdate(bfsQueue);
  EXPECT_EQ(G.nodes[2].d, 1000 + G.n);
  EXPECT_EQ(G.nodes[0].d, 2);
  EXPECT_EQ(G.nodes[1].d, 1);
  EXPECT_EQ(G.nodes[3].d, 0);
}

TEST(UnitFlowLabels, UnreachedLabelNearTheTopStopsAtLargestLabel) {
  readNetwork();
  Queue bfsQueue(G.n + 1L);
  G.nodes[2].d = kLargestLabel - 1;
  for (int update = 0; update < 3; ++update) {
    globalUpdate(bfsQueue);
    EXPECT_EQ(G.nodes[2].d, kLargestLabel);
  }
  EXPECT_EQ(G.nodes[0].d, 2);
}

}  // namespace
