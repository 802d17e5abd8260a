// Phase 1: a maximum preflow by push-relabel with unit pushes. The source is
// not saturated at the start; it gets an excess equal to an upper bound on
// the flow value and is discharged like any other node. What it counts is
// in the counting rule at the top of unitflow.h.
#include <algorithm>

#include "run_state.h"
#include "unitflow.h"

namespace {

long countRecords(const node_flow_data* v) {
  long records = G.endOf(v) - v->first;
  stats.work += records;
  return records;
}

void initialize(Queue& bfsQueue) {
  for (node_flow_data* v = G.nodes; v < G.nodes + G.n; ++v) {
    v->current = v->first;
    v->reinitialize();
    v->d = 0;
  }
  long sourceRecords = countRecords(G.source);
  long sinkRecords = countRecords(G.sink);
  G.source->excess = static_cast<int32_t>(std::min(sourceRecords, sinkRecords));
  // Set last, so that a source that is also the sink keeps this value.
  G.sink->excess = ~G.m;
  globalUpdate(bfsQueue);
}

}  // namespace

void forwardUnitFlow(Queue& bfsQueue) {
  initialize(bfsQueue);
  const double updateAfter = param.globalUpdateFactor * static_cast<double>(ba.nodeCount);
  int64_t relabels = 0;  // since the last global update
  while (!ba.isEmpty()) {
    node_flow_data* x = ba.take(kActiveOrder);
    if (x->d >= ba.bound) continue;
    if (discharge(x)) continue;
    relabel(x);
    if (static_cast<double>(++relabels) > updateAfter) {
      globalUpdate(bfsQueue);
      relabels = 0;
    }
  }
}

int discharge(node_flow_data* x) {
  const int32_t target = x->d - 1;
  flow_arc* end = G.endOf(x);
  for (flow_arc* r = x->current; r < end; ++r) {
    ++stats.work;
    node_flow_data* w = r->to;
    if (w->d != target || r->full != 0) continue;
    ++stats.pushes;
    r->full = 1;
    r->pair->full = 0;
    --x->excess;
    // A node becomes active when its excess goes from 0 to 1; the sink's
    // excess is negative, so it never does.
    if (w->excess == 0) ba.put(w);
    ++w->excess;
    if (x->excess <= 0) {
      x->current = r + 1;
      return 1;
    }
  }
  x->current = end;
  return x->excess <= 0;
}

void relabel(node_flow_data* x) {
  flow_arc* end = G.endOf(x);
  // Only a node with excess is relabelled, and excess arrives along a record
  // of its own list, so the list is not empty.
  flow_arc* best = end - 1;
  int32_t lowest = kUnreachable;
  for (flow_arc* r = x->first; r < end; ++r) {
    ++stats.work;
    if (r->full != 1 && r->to->d < lowest) {
      lowest = r->to->d;
      best = r;
    }
  }
  x->d = lowest + 1;
  if (x->d < ba.bound) {
    x->current = best;
    ba.put(x);
  }
}

void globalUpdate(Queue& bfsQueue) {
  const int32_t n = G.n;
  bfsQueue.reset();
  ba.reinitialize();
  // During the search a label of n or more marks a node not reached yet, and
  // label − n is its label from before. A label that adding n would carry
  // past INT32_MAX is first lowered to INT32_MAX − n, so it ends at INT32_MAX:
  // still n or more, and no label of n or more affects the run by its value.
  for (node_flow_data* v = G.nodes; v < G.nodes + n; ++v)
    v->d = std::min(v->d, kLargestLabel - n) + n;
  node_flow_data* sink = G.getSink();
  sink->d = 0;
  bfsQueue.put(sink);
  while (!bfsQueue.isEmpty()) {
    node_flow_data* y = bfsQueue.get();
    const int32_t label = y->d + 1;
    for (flow_arc* r = y->first; r < G.endOf(y); ++r) {
      ++stats.work;
      node_flow_data* w = r->to;
      int32_t old = w->d - n;
      // Reached already, or w cannot send to y (r is residual, its pair not).
      if (old < 0 || r->full != 1) continue;
      if (label > old) w->current = w->first;
      w->d = label;
      if (w->excess > 0) ba.put(w);
      bfsQueue.put(w);
    }
  }
}
