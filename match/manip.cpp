#include "manip.h"

#include <new>

#include "utility.h"

void Init_U(UTable& U) {
  for (UVertex& slot : U.vertex) {
    slot.first = nullptr;
    slot.mate = 0;
  }
  U.nU = 0;
}

void Init_V(VTable& V) {
  for (int& mate : V.mate) mate = 0;
  V.nV = 0;
}

void AddEdge(int u, int v, UTable& U, VTable&) {
  UVertex& from = U.vertex[u];
  from.first = new (Alloc(sizeof(Edge))) Edge{from.first, v};
}
