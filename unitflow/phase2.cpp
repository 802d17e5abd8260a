// Phase 2: turns the maximum preflow of phase 1 into a flow of the same value.
// Stage A searches backwards along arcs that carry flow from every node with
// excess, cancels every cycle of flow it closes, and records the nodes in the
// order their searches finish; the flow left is then acyclic. Stage B handles
// the nodes in reverse finishing order, so a node returns its excess to its
// predecessors before they return theirs. The sink is never touched and the
// source keeps what reaches it. What it counts is in the counting rule at
// the top of unitflow.h.
#include "run_state.h"
#include "unitflow.h"

namespace {

// Search colours held in `d` during phase 2.
constexpr int32_t kUnvisited = 0;
constexpr int32_t kOnPath = 1;
constexpr int32_t kFinished = 2;

// The reverse record of an input arc that carries a unit: following it leads
// to the node the unit came from.
bool usable(const flow_arc* e) { return e->full != 1 && e->cap == 0; }

// The input arc of e no longer carries its unit.
void cancel(flow_arc* e) {
  e->full = 1;
  e->pair->full = 0;
}

// The path ends at x and x's current record leads back to w on the path:
// cancels the flow on that cycle, sets its nodes below w unvisited again and
// returns w, which stays on the path past the cancelled record.
node_flow_data* cancelCycle(node_flow_data* x, node_flow_data* w, Queue& dfsStack) {
  node_flow_data* y = x;
  do {
    cancel(y->current);
    y->d = kUnvisited;
    y = dfsStack.pop();
  } while (y != w);
  cancel(w->current);
  ++w->current;
  return w;
}

// Depth-first search from root along usable records. dfsStack holds the path
// above the node being scanned; every node on it has `current` at the record
// leading to its child.
void search(node_flow_data* root, Queue& dfsStack, Queue& finishOrder) {
  root->d = kOnPath;
  node_flow_data* x = root;
  for (;;) {
    if (x->current == G.endOf(x)) {
      x->d = kFinished;
      finishOrder.put(x);
      if (x == root) return;
      x = dfsStack.pop();
      continue;
    }
    ++stats.work;
    flow_arc* e = x->current;
    node_flow_data* w = e->to;
    if (!usable(e) || w->d == kFinished) {
      ++x->current;
    } else if (w->d == kUnvisited) {
      w->d = kOnPath;
      dfsStack.put(x);
      x = w;
    } else {
      x = cancelCycle(x, w, dfsStack);
    }
  }
}

// Sends x's excess back along its usable records, in list order.
void returnExcess(node_flow_data* x) {
  for (flow_arc* e = x->first; e < G.endOf(x); ++e) {
    ++stats.work;
    if (x->excess <= 0 || x == G.source) return;
    if (usable(e)) {
      cancel(e);
      --x->excess;
      ++e->to->excess;
    }
  }
}

}  // namespace

void phase2(Queue& dfsStack, Queue& finishOrder) {
  dfsStack.reset();
  for (node_flow_data* v = G.nodes; v < G.nodes + G.n; ++v) {
    v->d = kUnvisited;
    v->current = v->first;
  }
  for (node_flow_data* v = G.nodes; v < G.nodes + G.n; ++v) {
    if (v->d == kUnvisited && v->excess > 0 && v != G.sink) search(v, dfsStack, finishOrder);
  }
  while (!finishOrder.isEmpty()) returnExcess(finishOrder.pop());
}
