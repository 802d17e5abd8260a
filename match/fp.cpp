#include "fp.h"

int eex;
int nBacks;

namespace {

struct StackEntry {
  int vertex;  // a U vertex
  Edge* arc;   // on the path: the edge the search left `vertex` by
};

// One array holds three regions of distinct U vertices, so they never
// overlap (|U| < VertexCapacity):
//   stack[0 … base]      the roots still waiting, ascending from the bottom;
//   stack[base+1 … sp]   the search path: the root, then each vertex matched
//                        to the V vertex of the entry below's `arc`;
//                        stack[sp] is the vertex being extended;
//   stack[tcp … ]        the dead list, filled downwards from the top:
//                        tcp … pcp-1 the dead ends of the current search,
//                        pcp … the vertices of failed searches, for good.
// sp is -1 when no root was queued.
StackEntry stack[VertexCapacity];
int sp;
int base;
int tcp;
int pcp;

// 1 from the moment a search enters a U vertex until a successful search
// clears it; the marks of failed searches are never cleared. A vertex whose
// lookahead succeeds at once is never marked.
unsigned char visited[VertexCapacity];

Edge* Enter(int a, const UTable& U) {
  visited[a] = 1;
  return U.vertex[a].first;
}

// The first edge from `e` on whose V vertex's partner is unmarked, or null.
// Every V vertex met here is matched, so its partner is a real U vertex.
Edge* UnmarkedEdge(Edge* e, const VTable& V) {
  while (e != nullptr && visited[V.mate[e->v]]) e = e->next;
  return e;
}

// Moves w's lookahead to its first edge to a free V vertex; false when the
// list ran out, which leaves `current` null for the rest of the pass.
bool LookAhead(UVertex& w, const VTable& V) {
  Edge* e = w.current;
  while (e != nullptr && V.mate[e->v] != 0) e = e->next;
  w.current = e;
  return e != nullptr;
}

// Matches w to the free V vertex its lookahead found, shifts the path, and
// frees the current search's dead ends for later searches.
void Augment(int w, UTable& U, VTable& V) {
  const int x = U.vertex[w].current->v;
  V.mate[x] = w;
  U.vertex[w].mate = x;
  visited[w] = 0;
  UpdatePath(U, V, base + 1, sp - 1);
  for (int i = pcp - 1; i >= tcp; --i) visited[stack[i].vertex] = 0;
  tcp = pcp;
}

// Leaves the dead end `a` at the top of the path. Returns false when it was
// the last root. Otherwise `a` and `e` become the vertex to go on with and
// its scan position: the parent past the edge that failed, or, when the root
// failed, the next waiting root, entered afresh.
bool Retreat(int& a, Edge*& e, const UTable& U) {
  ++nBacks;
  if (sp == 0) return false;
  stack[--tcp].vertex = a;
  a = stack[--sp].vertex;
  if (sp == base) {
    base = sp - 1;
    pcp = tcp;
    e = Enter(a, U);
  } else {
    e = stack[sp].arc->next;
  }
  return true;
}

}  // namespace

void Inits(UTable& U, VTable&) {
  eex = 0;
  nBacks = 0;
  sp = -1;
  for (int u = 1; u <= U.nU; ++u) {
    U.vertex[u].current = U.vertex[u].first;
    visited[u] = 0;
    if (U.vertex[u].mate == 0) stack[++sp].vertex = u;
  }
  base = sp - 1;
  tcp = VertexCapacity;
  pcp = VertexCapacity;
}

void FindPaths(UTable& U, VTable& V) {
  if (sp == -1) return;
  int a = stack[sp].vertex;
  Edge* e = Enter(a, U);
  for (;;) {
    e = UnmarkedEdge(e, V);
    if (e == nullptr) {
      if (!Retreat(a, e, U)) return;
      continue;
    }
    stack[sp].arc = e;
    const int w = V.mate[e->v];
    stack[++sp].vertex = w;
    if (!LookAhead(U.vertex[w], V)) {
      a = w;
      e = Enter(a, U);
      continue;
    }
    Augment(w, U, V);
    if (base < 0) return;
    sp = base--;
    a = stack[sp].vertex;
    e = Enter(a, U);
  }
}

void UpdatePath(UTable& U, VTable& V, int from, int to) {
  for (int i = from; i <= to; ++i) {
    const int u = stack[i].vertex;
    const int y = stack[i].arc->v;
    V.mate[y] = u;
    U.vertex[u].mate = y;
    visited[u] = 0;
    ++eex;
  }
}
