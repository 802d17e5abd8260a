// The breadth-first solver of breadthmatch: bfsBIM and its augmentation.
//
// Counting rule of breadthmatch (what its report line's counters count):
// - work += 1 for every node made free at the start (each Y node, then each
//   X node); in the greedy start for every entry it examines, the source's
//   included (not per X node); in the main pass for every X node taken in
//   turn, every entry examined by a search (the source's included) and every
//   pair flipped by an augmentation;
// - pushes += 1 for every pair the greedy start matches and every pair an
//   augmentation flips;
// - augments += 1 for every greedy match and every augmentation.
#include "breadthmatch.h"
#include "matching_start.h"
#include "one_pass.h"
#include "run_state.h"

void augment(match_node* y) {
  for (;;) {
    ++stats.pushes;
    ++stats.work;
    match_node* x = y->parent;
    match_node* given = x->mate;  // the Y node through which x was reached
    y->mate = x;
    x->mate = y;
    if (given == G.getSink()) break;
    y = given;
  }
  ++stats.augments;
}

namespace {

void freeAll() {
  freeList(G, G.getSink(), [](match_node*) { ++stats.work; });
  freeList(G, G.source, [](match_node* x) {
    x->visited = 0;
    ++stats.work;
  });
}

// One breadth-first search from the free X node `root`: X nodes are expanded
// in the order they were reached, each node's entries in list order, and the
// first free Y node met ends the path. True when it augmented.
bool search(match_node* root, Queue& bfsQueue, Queue& reached) {
  match_node* sink = G.getSink();
  root->visited = 1;
  bfsQueue.put(root);
  reached.put(root);
  while (!bfsQueue.isEmpty()) {
    match_node* u = bfsQueue.get();
    for (match_node** a = u->first; a < G.endOf(u); ++a) {
      ++stats.work;
      match_node* w = *a;
      if (w == G.source) continue;
      if (w->mate == sink) {
        w->parent = u;
        augment(w);
        return true;
      }
      match_node* x = w->mate;
      if (x->visited) continue;
      w->parent = u;
      x->visited = 1;
      bfsQueue.put(x);
      reached.put(x);
    }
  }
  return false;
}

}  // namespace

void bfsBIM(Queue& bfsQueue, Queue& reached) {
  freeAll();
  if (param.greedyInit) greedyMatch<false, false>(G);
  searchFromFreeXNodes(G, reached, [&](match_node* root) {
    const bool augmented = search(root, bfsQueue, reached);
    bfsQueue.reset();
    return augmented;
  });
}
