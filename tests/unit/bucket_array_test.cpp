// Set-up and index arithmetic of the store of active nodes.
#include "bucket_array.h"

#include <gtest/gtest.h>

namespace {

struct Node {};

TEST(BucketArray, InitializeMakesRoomForEveryNodeOnce) {
  Node nodes[4];
  bucketArray<Node> ba;
  ASSERT_TRUE(ba.initialize(4, 2));
  EXPECT_EQ(ba.bound, 2);
  EXPECT_EQ(ba.nodeCount, 4);
  EXPECT_TRUE(ba.isEmpty());
  for (Node& node : nodes) ba.put(&node);
  EXPECT_FALSE(ba.isEmpty());
  for (Node& node : nodes) EXPECT_EQ(ba.get(), &node);
  EXPECT_TRUE(ba.isEmpty());
}

// Three slots: after three stores and takes at the head both indices are
// back at 0, and a pop at tail 0 reads the last slot.
TEST(BucketArray, IndicesWrapAtBothEnds) {
  Node a, b, c, d;
  bucketArray<Node> ba;
  ASSERT_TRUE(ba.initialize(2, 1));
  for (Node* x : {&a, &b, &c}) {
    ba.put(x);
    EXPECT_EQ(ba.get(), x);
  }
  EXPECT_TRUE(ba.isEmpty());
  ba.put(&a);  // slot 0 again
  ba.put(&b);
  EXPECT_EQ(ba.get(), &a);
  ba.put(&c);  // slot 2; the tail wraps to 0
  EXPECT_EQ(ba.pop(), &c);
  EXPECT_EQ(ba.get(), &b);
  ba.put(&d);               // slot 2 again
  EXPECT_EQ(ba.get(), &d);  // the head wraps to 0
  EXPECT_TRUE(ba.isEmpty());
  ba.put(&a);
  EXPECT_EQ(ba.pop(), &a);  // slot 0: both indices are back at the start
}

TEST(BucketArray, ReinitializeForgetsTheNodesAndKeepsTheSetUp) {
  Node a, b, c;
  bucketArray<Node> ba;
  ASSERT_TRUE(ba.initialize(3, 2));
  ba.put(&a);
  ba.put(&b);
  EXPECT_EQ(ba.get(), &a);
  ba.reinitialize();
  EXPECT_TRUE(ba.isEmpty());
  EXPECT_EQ(ba.bound, 2);
  EXPECT_EQ(ba.nodeCount, 3);
  ba.put(&c);
  EXPECT_EQ(ba.pop(), &c);
  EXPECT_TRUE(ba.isEmpty());
  ba.put(&a);
  ba.put(&b);
  ba.put(&c);
  EXPECT_EQ(ba.get(), &a);
  EXPECT_EQ(ba.pop(), &c);
  EXPECT_EQ(ba.get(), &b);
}

}  // namespace
