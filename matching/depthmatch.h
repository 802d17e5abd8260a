// Depth-first matching: one pass over the X nodes after the greedy start,
// with one depth-first search for an augmenting path from every X node still
// free when its turn comes. Each newly reached X node is first checked for a
// free neighbour (the look-ahead) before the search goes deeper.
#pragma once

#include <cstdint>

#include "graph.h"
#include "path_augment.h"
#include "simple_queue.h"

// Only X nodes use `visited`, `current` and `lookahead`; of a Y node only
// `mate` is used.
struct match_node : node_basic_data<match_node*> {
  // 1 once a search has reached the node. A failed search leaves its marks
  // for the rest of the run, since no augmenting path can pass through the
  // nodes it reached; a successful search clears all of its marks.
  int32_t visited;
  match_node* mate;  // the partner; the sink while the node is free
  // While the node is on the search path: the entry through which the search
  // went deeper from it (its partner-to-be if the path augments).
  match_node** current;
  // Where the node's next look-ahead starts. It only moves forward: every
  // entry before it leads to a Y node that was matched when passed, and a
  // matched Y node never becomes free again.
  match_node** lookahead;
};

using Queue = simpleQueue<match_node>;

extern graph<match_node> G;

// Computes a maximum matching into the `mate` fields. path: X nodes of the
// current search, root at the bottom (stack); reached: every X node marked
// by the current search. Both are empty on return.
void dfsBIM(Queue& path, Queue& reached);

// augment(path), from path_augment.h, flips the matching along the X nodes
// held in `path`, each matched to the Y node of its `current` entry, and
// empties `path`.
