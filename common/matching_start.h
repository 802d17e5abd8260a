// The start of every matching solver: all nodes free, then, where the
// solver runs it, the greedy matching. Each X node, in the order of the
// source's list, takes the first free Y node in its own list; afterwards no
// free X node has a free neighbour.
#pragma once

#include "graph.h"
#include "run_state.h"

// Makes every node in `terminal`'s list free (its mate the sink) and then
// hands it to `reset`, which sets the solver's own fields and counts.
template <class Node, class Reset>
void freeList(const graph<Node>& G, const Node* terminal, Reset reset) {
  Node* sink = G.getSink();
  for (Node** a = terminal->first; a < G.endOf(terminal); ++a) {
    (*a)->mate = sink;
    reset(*a);
  }
}

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
