// The push-relabel solver of pushmatch-lifo and pushmatch-fifo: bim with its
// push attempt, relabel and global update.
//
// Counting rule of pushmatch-lifo and pushmatch-fifo (what their report
// line's counters count):
// - work += 1 for every entry examined by the greedy start (-i only; not per
//   X node), by matchNode, by relabel and by a global update's search (the
//   source's and the sink's entries included), and for every X node and
//   every Y node visited by the two sweeps that open a global update; making
//   the nodes free at the start counts nothing;
// - pushes += 1 for every pair the greedy start matches, and for nothing
//   else: it is 0 without -i;
// - augments += 1 for every greedy match and every single push (to a free Y
//   node); a double push counts nothing, as it leaves the matching's size
//   as it was.
#include "alternating_labels.h"
#include "matching_start.h"
#include "pushmatch.h"
#include "run_state.h"

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
  labelAlongAlternatingPaths(G, bfsQueue, [](match_node* x) { ba.put(x); });
}

namespace {

// Frees every node in `terminal`'s list and starts its scans at the front;
// with `activate` each one is also stored in `ba`, in list order.
void freeAll(const match_node* terminal, bool activate) {
  freeList(G, terminal, [activate](match_node* v) {
    v->current = v->first;
    v->d = 0;
    if (activate) ba.put(v);
  });
}

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
    match_node* x = ba.take(kActiveOrder);
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
