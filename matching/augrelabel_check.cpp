#include <cstdio>

#include "augrelabel.h"

// A depth-first search for an augmenting path from every free X node. An X
// node is visited when its `d` is 0 and unvisited while it is kUnreachable;
// marks are never cleared between searches, so every X node is scanned at
// most once and the check is linear. `current` of a node on the stack is the
// entry through which the search left it.
void CheckMatching(Queue& dfsStack) {
  match_node* sink = G.getSink();
  for (match_node** s = G.source->first; s < G.endOf(G.source); ++s) {
    (*s)->d = kUnreachable;
    (*s)->current = (*s)->first;
  }
  dfsStack.reset();
  for (match_node** s = G.source->first; s < G.endOf(G.source); ++s) {
    match_node* root = *s;
    if (root->mate != sink) continue;
    root->d = 0;
    match_node* u = root;
    match_node** a = root->current;
    for (;;) {
      while (a < G.endOf(u)) {
        match_node* w = *a;
        if (w != G.source) {
          if (w->mate == sink) {
            std::printf("Error: Matching is not maximum!\n");
            return;
          }
          match_node* x = w->mate;
          if (x->d == kUnreachable) {
            u->current = a;
            dfsStack.put(u);
            x->d = 0;
            u = x;
            a = x->first;
            continue;
          }
        }
        ++a;
      }
      if (dfsStack.isEmpty()) break;
      u = dfsStack.pop();
      a = u->current + 1;
    }
  }
}
