// Push-relabel matching: free X nodes taken from the store of active nodes
// either match a free Y neighbour (a single push) or take a matched Y
// neighbour from a mate with a strictly smaller label (a double push, which
// frees that mate); an X node that can do neither is relabelled. Periodic
// global updates recompute every X label exactly.
#pragma once

#include <cstdint>

#include "bucket_array.h"
#include "graph.h"
#include "run_state.h"
#include "simple_queue.h"

struct match_node : node_basic_data<match_node*> {
  // X nodes: a lower bound on the matched edges of any alternating path to a
  // free Y node; labels never decrease between global updates, and a global
  // update makes them exact (kUnreachable when there is no such path). A
  // label of at least ba.bound marks a node that is no longer processed.
  // 0 on Y nodes and never read there; −1 on the sink from the end of the
  // set-up on, so that an X node next to a free Y node gets label 0.
  int32_t d;
  match_node* mate;  // the partner; the sink while the node is free
  // X nodes: where the next push attempt begins. A push attempt leaves it at
  // the entry it used, a relabel at the entry that gave the new label; global
  // updates leave it alone.
  match_node** current;
};

using Queue = simpleQueue<match_node>;

extern graph<match_node> G;
// The free X nodes waiting for a push attempt. Every node in it is free, and
// no node is in it twice, so it never holds more than the X nodes.
extern bucketArray<match_node> ba;

// Computes a maximum matching into the `mate` fields. bfsQueue: Y nodes of a
// global update (FIFO), empty between updates.
void bim(Queue& bfsQueue);

// One push attempt of the free X node x, scanning from its `current`: a
// single push to the first free Y neighbour, or a double push over the
// first Y neighbour whose mate has a smaller label, which frees that mate and
// stores it in `ba`. Leaves `current` at the entry used, or at the end of x's
// list when no entry qualified (x then stays free).
void matchNode(match_node* x);

// Gives the free X node x the smallest label over its Y neighbours (one more
// than the label of the neighbour's mate, 0 for a free neighbour), or
// ba.bound when that is not smaller. Below the bound, x's `current` moves to
// the first entry reaching that minimum and x is stored in `ba` again.
void relabel(match_node* x);

// Recomputes every X label exactly by a breadth-first search from the free Y
// nodes and refills `ba` with the free X nodes that can still be matched, in
// order of non-decreasing label. No `current` changes.
void globalUpdate(Queue& bfsQueue);
