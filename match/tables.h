// The matcher's graph: a fixed-size table per vertex side, indexed by vertex
// number, and one singly linked edge list per U vertex. U and V vertices are
// numbered separately, each side from 1; slot 0 of every table is cleared
// like the others but never visited.
#pragma once

// Slots per table, so vertex numbers run from 1 to VertexCapacity - 1 on
// each side. The reader rejects any problem that does not fit.
constexpr int VertexCapacity = 262144;

// One edge, held only in the list of its U vertex.
struct Edge {
  Edge* next;  // the next edge of the same U vertex; null at the end
  int v;       // the V vertex, 1 … nV
};

struct UVertex {
  // Head of the edge list. Lists grow at the head, so they hold the edges in
  // the reverse of their input order, which is the order every algorithm
  // scans them in. Parallel edges stay separate entries.
  Edge* first;
  // Lookahead position of the augmenting-path search: every edge before it
  // leads to a matched V vertex. Set to `first` by Inits, then only moves
  // forward, since a matched V vertex never becomes free again.
  Edge* current;
  int mate;  // the matched V vertex; 0 while free
};

struct UTable {
  UVertex vertex[VertexCapacity];
  int nU;  // |U|
  int nE;  // |E| as the problem record declares it; edges are not counted
};

// Once a matching is built, U.vertex[u].mate == v exactly when V.mate[v] == u.
struct VTable {
  int mate[VertexCapacity];  // the matched U vertex; 0 while free
  int nV;                    // |V|
};
