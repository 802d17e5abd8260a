// Index arithmetic of the circular work queue.
#include "simple_queue.h"

#include <gtest/gtest.h>

namespace {

struct Item {};

TEST(SimpleQueue, HoldsSizeMinusOneEntriesInOrder) {
  Item items[4];
  simpleQueue<Item> q(5);
  for (Item& item : items) q.put(&item);
  EXPECT_FALSE(q.isEmpty());
  for (Item& item : items) EXPECT_EQ(q.get(), &item);
  EXPECT_TRUE(q.isEmpty());
}

TEST(SimpleQueue, PopsInReverseOrderAndTopLeavesTheEntry) {
  Item items[3];
  simpleQueue<Item> q(4);
  for (Item& item : items) q.put(&item);
  EXPECT_EQ(q.top(), &items[2]);
  EXPECT_EQ(q.pop(), &items[2]);
  EXPECT_EQ(q.pop(), &items[1]);
  EXPECT_EQ(q.top(), &items[0]);
  EXPECT_EQ(q.pop(), &items[0]);
  EXPECT_TRUE(q.isEmpty());
}

TEST(SimpleQueue, WrapsAroundAtBothEnds) {
  Item a, b, c;
  simpleQueue<Item> q(3);
  q.put(&a);
  q.put(&b);
  EXPECT_EQ(q.get(), &a);
  EXPECT_EQ(q.get(), &b);
  q.put(&c);  // the last slot; tail wraps to 0
  EXPECT_FALSE(q.isEmpty());
  EXPECT_EQ(q.pop(), &c);  // a pop at tail 0 reads the last slot
  EXPECT_TRUE(q.isEmpty());
  q.put(&a);
  q.put(&b);  // slot 0
  EXPECT_EQ(q.get(), &a);  // head wraps to 0
  EXPECT_EQ(q.get(), &b);
  EXPECT_TRUE(q.isEmpty());
}

TEST(SimpleQueue, PutAfterPopReusesTheSlot) {
  Item a, b;
  simpleQueue<Item> q(2);
  q.put(&a);
  EXPECT_EQ(q.pop(), &a);
  q.put(&b);
  EXPECT_EQ(q.top(), &b);
  EXPECT_EQ(q.get(), &b);
}

TEST(SimpleQueue, ResetEmptiesWhateverItHeld) {
  Item a;
  simpleQueue<Item> q(4);
  q.put(&a);
  q.put(&a);
  q.reset();
  EXPECT_TRUE(q.isEmpty());
}

}  // namespace
