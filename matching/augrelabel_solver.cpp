#include "augrelabel.h"
#include "greedy.h"
#include "path_augment.h"
#include "run_state.h"

// Counting: work += 1 for every node set up at the start, every X node reset
// and every free Y node queued by a global update, every arc entry examined
// (the source's included), every relabel, every retreat to a parent and every
// pair flipped by an augmentation; pushes += 1 for every pair flipped;
// augments += 1 for every augmentation and every greedy match.

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
  while (!bfsQueue.isEmpty()) {
    match_node* y = bfsQueue.get();
    int32_t label = y->mate->d + 1;
    for (match_node** a = y->first; a < G.endOf(y); ++a) {
      ++stats.work;
      match_node* x = *a;
      // The sink's entry is passed over: its label is −1, not kUnreachable.
      if (x->d != kUnreachable || x == y->mate) continue;
      x->d = label;
      if (x->mate == sink) {
        freeNodes.put(x);
      } else {
        bfsQueue.put(x->mate);
      }
    }
  }
}

void Augment(Queue& path) { augmentPath(path); }

namespace {

void freeAll(match_node* terminal) {
  for (match_node** a = terminal->first; a < G.endOf(terminal); ++a) {
    match_node* v = *a;
    v->mate = G.getSink();
    v->current = v->first;
    v->d = 0;
    ++stats.work;
  }
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
