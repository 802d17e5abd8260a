// The network every solver program works on: a node array and an arc array
// in forward-star order, so that a node's arcs are the contiguous run from
// its own `first` up to the next node's `first`.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

// Base of every node record: the start of the node's run in the arc array.
template <class Arc>
struct node_basic_data {
  Arc* first;
};

// Asks the system to back a large array with huge pages where it can: the
// solvers and the reader's list building reach all over the arc array, and
// with small pages nearly every such access also misses the address cache.
// Only the whole pages inside [p, p + bytes) are advised; nothing changes
// where the system does not offer it.
inline void adviseHugePages(void* p, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  if (bytes < 2 * kHuge) return;
  std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
  std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kHuge - 1);
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

// Allocates `bytes` as malloc does (free releases them). A block of a
// quarter of a huge page or more is rounded up to whole huge pages, aligned
// to one and advised whole, so that no part of it is left on small pages:
// on a virtual machine a small page's first touch may cost as much as
// clearing a whole huge page (a structural rank of a 1M-entry matrix in
// Python spent half its time in such faults), which is worth the unused
// rest of the last page.
inline void* allocateOnHugePages(std::size_t bytes) {
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  if (bytes < kHuge / 4) return std::malloc(bytes == 0 ? 1 : bytes);
  const std::size_t whole = (bytes + kHuge - 1) / kHuge * kHuge;
  void* p = std::aligned_alloc(kHuge, whole);
#ifdef MADV_HUGEPAGE
  if (p != nullptr) madvise(p, whole, MADV_HUGEPAGE);
#endif
  return p;
}

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
    if (nodes != nullptr)
      adviseHugePages(nodes, (static_cast<std::size_t>(count) + 1) * sizeof(Node));
    return nodes != nullptr;
  }
  bool makeArcs(int32_t count) {
    m = count;
    arcs = new (std::nothrow) Arc[static_cast<std::size_t>(count) + 1];
    if (arcs != nullptr) adviseHugePages(arcs, (static_cast<std::size_t>(count) + 1) * sizeof(Arc));
    return arcs != nullptr;
  }

  long index(const Node* p) const { return p - nodes; }
  Node* getSink() const { return sink; }
  // One past the last arc of `v`: the next record's `first`.
  Arc* endOf(const Node* v) const { return (v + 1)->first; }
  // The number of arcs of `v`.
  int32_t listLength(const Node* v) const { return static_cast<int32_t>(endOf(v) - v->first); }
};
