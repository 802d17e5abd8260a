// The augment-relabel solver of augrelabel: arBIM and its global update.
//
// Counting rule of augrelabel (what its report line's counters count):
// - work += 1 for every node made free at the start (each Y node, then each
//   X node); in the greedy start for every X node and every entry it
//   examines, the source's included; in a global update for every X node
//   reset, every free Y node queued and every entry examined by its search;
//   in the main loop for every entry a scan examines (the source's
//   included), every relabel, every retreat to a parent and every pair
//   flipped by an augmentation;
// - pushes += 1 for every pair the greedy start matches and every pair an
//   augmentation flips;
// - augments += 1 for every greedy match and every augmentation.
// The maximality check after the clock (augrelabel_check.cpp) counts nothing.
#include "alternating_labels.h"
#include "augrelabel.h"
#include "matching_start.h"
#include "run_state.h"

void globalUpdate(Queue& freeNodes, Queue& bfsQueue) {
  match_node* sink = G.getSink();
  freeNodes.reset();
  bfsQueue.reset();
  for (match_node** s = G.source->first; s < G.endOf(G.source); ++s) {
    match_node* x = *s;
    x->d = kUnreachable;
    x->current = x->first;
    ++stats.work;
  }
  for (match_node** t = sink->first; t < G.endOf(sink); ++t) {
    match_node* y = *t;
    if (y->mate == sink) {
      bfsQueue.put(y);
      ++stats.work;
    }
  }
  sink->d = -1;
  labelAlongAlternatingPaths(G, bfsQueue, [&freeNodes](match_node* x) { freeNodes.put(x); });
}

namespace {

void freeAll(const match_node* terminal) {
  freeList(G, terminal, [](match_node* v) {
    v->current = v->first;
    v->d = 0;
    ++stats.work;
  });
}

// Scans u's arcs from `current` for a free neighbour or an admissible arc.
// Returns the entry found, or the end of u's list.
match_node** scan(match_node* u) {
  match_node** a = u->current;
  for (; a < G.endOf(u); ++a) {
    ++stats.work;
    match_node* w = *a;
    if (w == G.source) continue;
    if (w->mate == G.getSink() || u->d == w->mate->d + 1) break;
  }
  return a;
}

}  // namespace

void arBIM(Queue& freeNodes, Queue& path, Queue& bfsQueue) {
  // A root relabelled to this label or beyond is dropped until a global
  // update finds it reachable again.
  const int32_t dropThreshold = (G.n - 2) / 2;
  int32_t relabels = 0;  // since the last global update
  match_node* sink = G.getSink();

  freeAll(sink);
  freeAll(G.source);
  if (param.greedyInit) greedyMatch<true, false>(G);
  globalUpdate(freeNodes, bfsQueue);

  while (!freeNodes.isEmpty()) {
    match_node* root = freeNodes.get();
    path.reset();
    path.put(root);
    match_node* u = root;
    for (;;) {
      match_node** a = scan(u);
      if (a < G.endOf(u)) {
        u->current = a;
        match_node* w = *a;
        if (w->mate == sink) {
          Augment(path);
          break;
        }
        u = w->mate;
        path.put(u);
        continue;
      }
      // Dead end: relabel u.
      ++u->d;
      u->current = u->first;
      ++stats.work;
      ++relabels;
      if (u == root) {
        if (root->d < dropThreshold) freeNodes.put(root);
        break;
      }
      if (static_cast<double>(relabels) > param.globalUpdateFactor * G.n) {
        globalUpdate(freeNodes, bfsQueue);
        relabels = 0;
        break;
      }
      // Retreat to the parent, past the arc that led to u.
      path.pop();
      u = path.top();
      ++stats.work;
      ++u->current;
    }
  }
}
