// The store of active nodes of the push-relabel solvers: one bounded
// circular array, filled at the tail and emptied at either end (pop: last in
// first out, get: first in first out), with the label bound that decides
// which nodes are worth processing.
//
// Both push-relabel families use it, the matchers here and the unit-flow
// programs in unitflow/. It stays in this folder, the home of the
// push-relabel matcher it was made for, and the folder exports it as the
// CMake target `bucket_array`, through which the unit-flow programs use it.
#pragma once

#include <cstdint>

#include "simple_queue.h"

// The end of the store a program takes its next active node from: the
// newest node (LIFO) or the oldest (FIFO). Each push-relabel program is built
// twice from one source, -lifo and -fifo, differing in this alone; the build
// sets ACTIVE_NODES_FIFO to 0 or 1.
enum class ActiveOrder { kLifo, kFifo };

#ifdef ACTIVE_NODES_FIFO
constexpr ActiveOrder kActiveOrder = ACTIVE_NODES_FIFO ? ActiveOrder::kFifo : ActiveOrder::kLifo;
#endif

template <class Node>
class bucketArray : public simpleQueue<Node> {
 public:
  // A node whose label is at least `bound` is not stored by a relabel and is
  // dropped when taken.
  int32_t bound = 0;
  // The node count of the graph when the array was set up: the unit of the
  // global-update trigger.
  int32_t nodeCount = 0;

  // nodeCount + 1 slots, so every node fits once; false when the memory
  // cannot be obtained.
  bool initialize(int32_t nodes, int32_t labelBound) {
    bound = labelBound;
    nodeCount = nodes;
    return this->allocate(nodes + 1L);
  }
  void reinitialize() { this->reset(); }

  // The next node in `order`; every store goes to the tail in both orders.
  Node* take(ActiveOrder order) { return order == ActiveOrder::kFifo ? this->get() : this->pop(); }
};
