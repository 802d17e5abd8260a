// The breadth-first search that both label-guided matching solvers
// (augment-relabel and push-relabel) run in a global update.
#pragma once

#include <cstdint>

#include "graph.h"
#include "run_state.h"
#include "simple_queue.h"

// Precondition: every X node's label is kUnreachable, the sink's is −1, and
// bfsQueue holds the free Y nodes. Takes the Y nodes in queue order and
// gives every X node still unlabelled in a Y node's list one more than the
// label of that Y node's mate: its number of matched edges on a shortest
// alternating path to a free Y node. A free X node so labelled goes to
// `store`, so the free X nodes arrive in order of non-decreasing label; a
// matched one queues its mate. work += 1 for every entry examined. Leaves
// bfsQueue empty.
template <class Node, class Store>
void labelAlongAlternatingPaths(const graph<Node>& G, simpleQueue<Node>& bfsQueue, Store store) {
  Node* sink = G.getSink();
  while (!bfsQueue.isEmpty()) {
    Node* y = bfsQueue.get();
    const int32_t label = y->mate->d + 1;
    for (Node** a = y->first; a < G.endOf(y); ++a) {
      ++stats.work;
      Node* x = *a;
      // Passes over the sink (label −1) and y's mate, which is labelled
      // before y is queued.
      if (x->d != kUnreachable) continue;
      x->d = label;
      if (x->mate == sink) {
        store(x);
      } else {
        bfsQueue.put(x->mate);
      }
    }
  }
}
