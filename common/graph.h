// The network every solver program works on: a node array and an arc array
// in forward-star order, so that a node's arcs are the contiguous run from
// its own `first` up to the next node's `first`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

// Base of every node record: the start of the node's run in the arc array.
template <class Arc>
struct node_basic_data {
  Arc* first;
  Arc* firstOutArc() const { return first; }
};

// `Node` is the program's node record (it derives from node_basic_data<Arc>);
// `Arc` is the arc element: a pointer to the neighbour in the matching
// programs, a paired arc record in the unit-flow programs.
//
// Invariant after reading: for every node i in 0 … n−1 its arcs are
// arcs[nodes[i].first … nodes[i+1].first); the `first` pointers never
// decrease; nodes[0].first == arcs and the sentinel nodes[n].first == arcs + m,
// the spare element, which is never read or written.
template <class Node, class Arc = Node*>
struct graph {
  Node* nodes = nullptr;   // n records plus the sentinel at index n
  Node* source = nullptr;  // null until the reader names it
  Node* sink = nullptr;    // null until the reader names it
  int32_t n = 0;           // nodes, source and sink included
  Arc* arcs = nullptr;     // m elements plus one spare
  int32_t m = 0;           // arc elements in use

  // Both return false when the memory cannot be obtained.
  bool makeNodes(int32_t count) {
    n = count;
    nodes = new (std::nothrow) Node[static_cast<std::size_t>(count) + 1];
    return nodes != nullptr;
  }
  bool makeArcs(int32_t count) {
    m = count;
    arcs = new (std::nothrow) Arc[static_cast<std::size_t>(count) + 1];
    return arcs != nullptr;
  }

  long index(const Node* p) const { return p - nodes; }
  Node* getSink() const { return sink; }
  // One past the last arc of `v`: the next record's `first`.
  Arc* endOf(const Node* v) const { return (v + 1)->first; }
};
