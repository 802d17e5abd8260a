// The store of active nodes of the push-relabel solvers: one bounded
// circular array, filled at the tail and emptied at either end (pop: last in
// first out, get: first in first out), with the label bound that decides
// which nodes are worth processing.
#pragma once

#include <cstdint>

#include "simple_queue.h"

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
};
