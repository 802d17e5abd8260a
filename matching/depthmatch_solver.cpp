// The depth-first solver of depthmatch: dfsBIM.
//
// Counting rule of depthmatch (what its report line's counters count):
// - work += 1 for every node made free at the start (each Y node, then each
//   X node); in the greedy start for every X node and every entry it
//   examines, the source's included; in the main pass for every X node taken
//   in turn, every entry examined by a scan or a look-ahead (the source's
//   included), every ancestor resumed on the path and every pair flipped by
//   an augmentation;
// - pushes += 1 for every pair the greedy start matches and every pair an
//   augmentation flips;
// - augments += 1 for every greedy match and every augmentation.
#include "depthmatch.h"
#include "matching_start.h"
#include "one_pass.h"
#include "run_state.h"

namespace {

void freeAll() {
  freeList(G, G.getSink(), [](match_node*) { ++stats.work; });
  freeList(G, G.source, [](match_node* x) {
    x->visited = 0;
    x->current = x->first;
    x->lookahead = x->first;
    ++stats.work;
  });
}

// Scans u's entries from `a` for one whose Y node's mate is unmarked; returns
// that entry or the end of u's list. No Y node met here is free: the greedy
// start left no free X node with a free neighbour, and every other X node
// scanned has passed its look-ahead first.
match_node** nextUnmarked(match_node* u, match_node** a) {
  for (; a < G.endOf(u); ++a) {
    ++stats.work;
    match_node* w = *a;
    if (w != G.source && !w->mate->visited) break;
  }
  return a;
}

// Moves x's look-ahead on to its first free neighbour at or after it, or to
// the end of x's list; true when it found one.
bool lookAhead(match_node* x) {
  match_node** a = x->lookahead;
  for (; a < G.endOf(x); ++a) {
    ++stats.work;
    if (*a != G.source && (*a)->mate == G.getSink()) break;
  }
  x->lookahead = a;
  return a < G.endOf(x);
}

// One depth-first search from the free X node `root`; true when it found an
// augmenting path and flipped it. `path` holds the ancestors of the node
// being scanned, each with `current` at the entry that leads to its child.
bool search(match_node* root, Queue& path, Queue& reached) {
  root->visited = 1;
  reached.put(root);
  match_node* u = root;
  match_node** a = root->current;
  for (;;) {
    a = nextUnmarked(u, a);
    if (a < G.endOf(u)) {
      u->current = a;
      path.put(u);
      match_node* x = (*a)->mate;
      x->visited = 1;
      reached.put(x);
      if (lookAhead(x)) {
        x->current = x->lookahead;
        path.put(x);
        augment(path);
        return true;
      }
      u = x;
      a = x->first;
    } else if (path.isEmpty()) {
      return false;
    } else {
      u = path.pop();
      ++stats.work;
      a = u->current + 1;
    }
  }
}

}  // namespace

void dfsBIM(Queue& path, Queue& reached) {
  freeAll();
  if (param.greedyInit) greedyMatch<true, false>(G);
  searchFromFreeXNodes(G, reached, [&](match_node* root) { return search(root, path, reached); });
}
