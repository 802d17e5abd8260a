// Breadth-first matching: one pass over the X nodes after the greedy start,
// with one breadth-first search over alternating paths from every X node
// still free when its turn comes; the first free Y node met ends the path.
#pragma once

#include <cstdint>

#include "graph.h"
#include "simple_queue.h"

struct match_node : node_basic_data<match_node*> {
  // X nodes: 1 once a search has reached the node. A failed search leaves its
  // marks for the rest of the run, since no augmenting path can pass through
  // the nodes it reached; a successful search clears all of its marks.
  int32_t visited;
  match_node* mate;  // the partner; the sink while the node is free
  // Y nodes: the X node from whose list the current search reached this node.
  // Meaningful only during the search that set it; never cleared.
  match_node* parent;
};

using Queue = simpleQueue<match_node>;

extern graph<match_node> G;

// Computes a maximum matching into the `mate` fields. bfsQueue: X nodes
// waiting to have their lists scanned (FIFO); reached: every X node marked by
// the current search. Both are empty on return.
void bfsBIM(Queue& bfsQueue, Queue& reached);

// Flips the matching along the `parent` links from the free Y node y back to
// the search's root, the only free X node on the path.
void augment(match_node* y);
