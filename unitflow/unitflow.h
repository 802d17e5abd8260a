// Maximum flow in a network whose arcs all have capacity 1, by push-relabel.
//
// Phase 1 (forwardUnitFlow) computes a maximum preflow: afterwards the number
// of units that reached the sink is the value of a maximum flow, and every
// node still holding excess is cut off from the sink. Phase 2 (phase2) only
// makes the preflow a flow, by sending the stuck units back to the source;
// it leaves the flow value unchanged.
//
// Counting rule of unitflow-lifo and unitflow-fifo (what their report
// line's counters count; phase1.cpp and phase2.cpp count by it):
// - pushes += 1 for every unit that discharge pushes;
// - work += 1 for every arc record examined: by the two list counts at the
//   start of phase 1 (every record of the source's list, then of the
//   sink's), by discharge, by relabel and by a global update's search; in
//   phase 2 by every step of a search and by stage B, including the record
//   at which stage B stops handling a node;
// - augments is not counted and not printed.
#pragma once

#include <cstdint>

#include "bucket_array.h"
#include "graph.h"
#include "run_state.h"
#include "simple_queue.h"

// The label reinitialize() gives every node before the first global update.
constexpr int32_t kLargestLabel = INT32_MAX;

struct flow_arc;

struct node_flow_data : node_basic_data<flow_arc> {
  // Units received minus units sent. Never negative except at the sink, which
  // starts at −(G.m) − 1 so that it never becomes active.
  int32_t excess;
  // Phase 1: distance label, a lower bound on the residual distance to the
  // sink (exact right after a global update); n or more means the sink cannot
  // be reached any more, and such a label never drops below n again.
  // Phase 2: search colour (kUnvisited, kOnPath, kFinished).
  int32_t d;
  // Where the next scan of this node's records resumes: no record between
  // `first` and `current` is admissible in phase 1.
  flow_arc* current;

  void reinitialize() {
    d = kLargestLabel;
    excess = 0;
  }
};

// One direction of an input arc. The record of the input arc (cap 1) lies in
// its tail's list, the reverse record (cap 0) in its head's list.
// Invariant: pair->pair == this and full + pair->full == 1; every change of
// `full` flips both. The input arc carries a unit exactly when its own record
// is full.
struct flow_arc {
  node_flow_data* to;  // the node the record leads to
  flow_arc* pair;      // the record of the opposite direction
  int32_t full;        // 1: no residual capacity left; 0: one unit may pass
  int32_t cap;         // 1 for an input arc, 0 for its reverse; never changes
};

using FlowGraph = graph<node_flow_data, flow_arc>;
using Queue = simpleQueue<node_flow_data>;

extern FlowGraph G;
// Active nodes: positive excess, label below ba.bound (= n).
extern bucketArray<node_flow_data> ba;

// Phase 1. bfsQueue: nodes of a global update's search (FIFO).
void forwardUnitFlow(Queue& bfsQueue);

// Pushes units of x along admissible records from x's `current` on. Returns 1
// when x's excess is used up, 0 when excess is left at the end of its list.
int discharge(node_flow_data* x);

// Gives x one more than the smallest label across its residual records and
// stores it as active again when that label is below ba.bound.
void relabel(node_flow_data* x);

// Sets every label that can reach the sink to its exact residual distance by
// a breadth-first search from the sink and refills `ba` with the active nodes
// it reaches, in the order it reaches them. Every other label grows by n.
void globalUpdate(Queue& bfsQueue);

// Phase 2. dfsStack: the current search path (stack; phase 1's bfsQueue is
// reused); finishOrder: nodes in the order their searches finished, empty.
void phase2(Queue& dfsStack, Queue& finishOrder);
