// The main pass of depthmatch and breadthmatch, which follows their start:
// one search for an augmenting path from every X node still free when its
// turn comes.
#pragma once

#include "graph.h"
#include "run_state.h"
#include "simple_queue.h"

// Takes every X node in the order of the source's list, with work += 1 each,
// and runs search(v) from every one still free and unmarked; search returns
// true when it augmented. After a success the marks of every X node the
// search reached (held in `reached`) are cleared, since the augmentation may
// open paths through them; after a failure they stay for the rest of the
// run, since no augmenting path can pass through those nodes any more.
// `reached` is empty after each search. A search reaches matched X nodes
// only, so no free X node is marked before its own turn.
template <class Node, class Search>
void searchFromFreeXNodes(const graph<Node>& G, simpleQueue<Node>& reached, Search search) {
  for (Node** s = G.source->first; s < G.endOf(G.source); ++s) {
    Node* v = *s;
    ++stats.work;
    if (v->mate != G.getSink() || v->visited) continue;
    if (search(v)) {
      while (!reached.isEmpty()) reached.pop()->visited = 0;
    } else {
      reached.reset();
    }
  }
}
