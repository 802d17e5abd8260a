// Greedy start of the matching solvers: every X node, in the order of the
// source's list, takes the first free Y node in its own list. Afterwards no
// free X node has a free neighbour.
#pragma once

#include "graph.h"
#include "run_state.h"

// Precondition: every X and Y node is free (its mate is the sink). Each match
// adds 1 to augments and to pushes; every entry examined, the source's
// included, adds 1 to work. What differs between the programs:
// - stepPerNode: work += 1 for every X node, before its scan;
// - setCurrent: leave the X node's `current` at its partner's entry, or at
//   the end of its list when it stays free.
template <bool stepPerNode, bool setCurrent, class Node>
void greedyMatch(const graph<Node>& G) {
  Node* sink = G.getSink();
  for (Node** s = G.source->first; s < G.endOf(G.source); ++s) {
    Node* v = *s;
    if (stepPerNode) ++stats.work;
    Node** a = v->first;
    for (; a < G.endOf(v); ++a) {
      ++stats.work;
      Node* w = *a;
      if (w == G.source) continue;
      if (w->mate == sink) {
        w->mate = v;
        v->mate = w;
        ++stats.augments;
        ++stats.pushes;
        break;
      }
    }
    if constexpr (setCurrent) v->current = a;
  }
}
