// Augment-relabel matching: augmenting paths from free X nodes, guided by
// distance labels, with periodic global relabelling.
#pragma once

#include <cstdint>

#include "graph.h"
#include "path_augment.h"
#include "run_state.h"
#include "simple_queue.h"

struct match_node : node_basic_data<match_node*> {
  // X nodes only: a lower bound on the matched edges of any alternating path
  // to a free Y node; exact right after a global update, kUnreachable when no
  // such path exists. 0 on Y nodes; the sink holds −1 from the first global
  // update on, so that an X node next to a free Y node gets label 0.
  int32_t d;
  match_node* mate;      // the partner; the sink while the node is free
  match_node** current;  // where the next scan of the node's arcs begins
};

using Queue = simpleQueue<match_node>;

extern graph<match_node> G;

// Computes a maximum matching into the `mate` fields. freeNodes: free X nodes
// waiting for a search (FIFO); path: X nodes of the current search, root at
// the bottom (stack); bfsQueue: Y nodes of a global update (FIFO).
void arBIM(Queue& freeNodes, Queue& path, Queue& bfsQueue);

// Recomputes every X label exactly by a breadth-first search from the free Y
// nodes, resets every X node's `current`, and refills freeNodes with the free
// X nodes that can still be matched, in order of non-decreasing label.
void globalUpdate(Queue& freeNodes, Queue& bfsQueue);

// Flips the matching along the X nodes held in `path`, each matched to the Y
// node of its `current` entry, and empties `path` (path_augment.h).
inline constexpr void (&Augment)(Queue& path) = augment<match_node>;

// Prints "Error: Matching is not maximum!\n" when some free X node can reach
// a free Y node by an alternating path. Uses `d` and `current` of the X
// nodes as visit marks and positions; changes no mate.
void CheckMatching(Queue& dfsStack);
