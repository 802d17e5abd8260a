#include "greedy.h"
#include "pushmatch.h"
#include "run_state.h"

// Counting: work += 1 for every arc entry examined by matchNode, relabel and
// globalUpdate (the source's and the sink's entries included) and for every
// X node and every Y node visited by the two sweeps that open a global
// update; augments += 1 for every single push. pushes is counted only by the
// greedy start.

void matchNode(match_node* x) {
  match_node* sink = G.getSink();
  match_node** a = x->current;
  for (; a < G.endOf(x); ++a) {
    ++stats.work;
    match_node* y = *a;
    if (y == G.source) continue;
    match_node* s = y->mate;
    if (s == sink) {
      y->mate = x;
      x->mate = y;
      ++stats.augments;
      break;
    }
    if (s->d < x->d) {
      y->mate = x;
      x->mate = y;
      s->mate = sink;
      ba.put(s);
      break;
    }
  }
  x->current = a;
}

void relabel(match_node* x) {
  int32_t label = ba.bound;
  match_node** best = nullptr;
  for (match_node** a = x->first; a < G.endOf(x); ++a) {
    ++stats.work;
    match_node* y = *a;
    if (y == G.source) continue;
    int32_t reached = y->mate->d + 1;
    if (reached < label) {
      label = reached;
      best = a;
    }
  }
  x->d = label;
  if (label < ba.bound) {
    x->current = best;
    ba.put(x);
  }
}

void globalUpdate(Queue& bfsQueue) {
  match_node* sink = G.getSink();
  ba.reinitialize();
  for (match_node** s = G.source->first; s < G.endOf(G.source); ++s) {
    ++stats.work;
    (*s)->d = kUnreachable;
  }
  sink->d = -1;
  for (match_node** t = sink->first; t < G.endOf(sink); ++t) {
    ++stats.work;
    if ((*t)->mate == sink) bfsQueue.put(*t);
  }
  while (!bfsQueue.isEmpty()) {
    match_node* y = bfsQueue.get();
    int32_t label = y->mate->d + 1;
    for (match_node** a = y->first; a < G.endOf(y); ++a) {
      ++stats.work;
      match_node* x = *a;
      // Passes over the sink (label −1) and y's mate, which is labelled
      // before y is queued.
      if (x->d != kUnreachable) continue;
      x->d = label;
      if (x->mate == sink) {
        ba.put(x);
      } else {
        bfsQueue.put(x->mate);
      }
    }
  }
}

namespace {

// Frees every node in `terminal`'s list and starts its scans at the front;
// with `activate` each one is also stored in `ba`, in list order.
void freeAll(const match_node* terminal, bool activate) {
  for (match_node** a = terminal->first; a < G.endOf(terminal); ++a) {
    match_node* v = *a;
    v->mate = G.getSink();
    v->current = v->first;
    v->d = 0;
    if (activate) ba.put(v);
  }
}

match_node* takeActive() { return kOldestFirst ? ba.get() : ba.pop(); }

}  // namespace

void bim(Queue& bfsQueue) {
  match_node* sink = G.getSink();
  freeAll(sink, false);
  freeAll(G.source, !param.greedyInit);
  if (param.greedyInit) {
    greedyMatch<false, true>(G);
    globalUpdate(bfsQueue);
  }
  sink->d = -1;

  // Relabels since the last global update; 64-bit, since with a large -u
  // factor it may pass 2^31 long before the trigger is reached.
  int64_t relabels = 0;
  while (!ba.isEmpty()) {
    match_node* x = takeActive();
    if (x->d >= ba.bound) continue;
    matchNode(x);
    if (x->mate != sink) continue;
    relabel(x);
    ++relabels;
    if (static_cast<double>(relabels) > param.globalUpdateFactor * ba.nodeCount) {
      globalUpdate(bfsQueue);
      relabels = 0;
    }
  }
}
