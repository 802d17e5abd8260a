// The augmentation shared by the solvers that keep their search path as a
// stack of X nodes: depthmatch calls it `augment`, augrelabel `Augment`.
#pragma once

#include "run_state.h"
#include "simple_queue.h"

// Flips the matching along the X nodes held in `path`, root at the bottom,
// each matched to the Y node of its `current` entry, and empties `path`.
// Popping from the top matches the last X node to the free Y node first;
// every earlier X node then takes the Y node whose old partner is the next
// node of the path, and the root ends matched. pushes and work += 1 per
// pair; augments += 1.
template <class Node>
void augment(simpleQueue<Node>& path) {
  while (!path.isEmpty()) {
    Node* x = path.pop();
    Node* w = *x->current;
    x->mate = w;
    w->mate = x;
    ++stats.pushes;
    ++stats.work;
  }
  ++stats.augments;
}
