// Forward-star list building shared by the problem readers.
//
// While a problem is read, each arc element is stored as a 64-bit key in the
// memory of the graph's own arc array: the index of the node whose list the
// element belongs to (its owner) in the high half, a payload of the reader's
// choice in the low half. The count of node x's elements is kept at x + 1.
// At the end of input the counts become list starts and an in-place
// permutation moves every key into its owner's run; the reader then turns
// each key into the final arc element. Keeping owner and payload in one word
// lets the permutation follow its chain of exchanges through a single array,
// which is what bounds its speed, and needs no working array per element.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "fail.h"
#include "graph.h"

class ArcKeys {
 public:
  // 8-byte keys laid over the bytes of an array of another type; they are
  // copied in and out, so the array's own type is never aliased.
  class Storage {
   public:
    explicit Storage(unsigned char* bytes = nullptr) : bytes(bytes) {}
    uint64_t get(int32_t i) const {
      uint64_t k;
      std::memcpy(&k, bytes + 8 * size_t(i), 8);
      return k;
    }
    void set(int32_t i, uint64_t k) const { std::memcpy(bytes + 8 * size_t(i), &k, 8); }
    void prefetch(int32_t i) const {
#if defined(__GNUC__)
      __builtin_prefetch(bytes + 8 * size_t(i));
#else
      (void)i;
#endif
    }

   private:
    unsigned char* bytes;
  };

  ArcKeys() = default;
  ~ArcKeys() { delete[] counts; }
  ArcKeys(const ArcKeys&) = delete;
  ArcKeys& operator=(const ArcKeys&) = delete;

  static uint64_t key(int32_t owner, uint32_t payload) {
    return uint64_t(uint32_t(owner)) << 32 | payload;
  }
  static int32_t owner(uint64_t key) { return int32_t(key >> 32); }
  static uint32_t payload(uint64_t key) { return uint32_t(key); }

  // Keys go to `storage`, which must hold 8 bytes for every element the
  // reader adds; the counts of `nodes` nodes are allocated here, so that a
  // problem too large for memory is refused before its lines are read.
  template <class Arc>
  void start(Arc* storage, int32_t nodes) {
    keys = Storage(reinterpret_cast<unsigned char*>(storage));
    counts = new (std::nothrow) int32_t[nodes + 1L]();
    if (counts == nullptr) fail(kNoMemory);
  }

  void add(int32_t owner, uint32_t payload) { set(stored++, key(owner, payload)); }
  int32_t size() const { return stored; }

  uint64_t get(int32_t i) const { return keys.get(i); }
  void set(int32_t i, uint64_t k) { keys.set(i, k); }

  // Sets every node's `first` and the sentinel's from the owners' counts,
  // then moves the keys into their owners' runs. Afterwards get(i) is the
  // key of arc element i. The order inside each run is the one this
  // permutation makes.
  template <class Node, class Arc>
  void sortIntoLists(graph<Node, Arc>& G) {
    // Counted here rather than as the keys arrive: in a loop of its own the
    // scattered increments overlap instead of each waiting in turn.
    for (int32_t i = 0; i < stored; ++i) ++counts[owner(get(i)) + 1];
    setListStarts(G);
    permute(G);
  }

 private:
  // counts[x] becomes the index of node x's first element.
  template <class Node, class Arc>
  void setListStarts(graph<Node, Arc>& G) {
    for (int32_t x = 0; x < G.n; ++x) {
      if (x > 0) counts[x] += counts[x - 1];
      G.nodes[x].first = G.arcs + counts[x];
    }
    G.nodes[G.n].first = G.arcs + G.m;
  }

  // counts[y] is the next unfilled position of node y's run. For each node x
  // in turn, every position p of its run still unfilled is settled: while
  // the key at p belongs to another node y, it is exchanged with the key at
  // y's next unfilled position, which advances. Every exchange puts one key
  // into its final run, so there are at most m of them.
  //
  // Each exchange depends on the one before: the owner of the key it takes
  // out decides where the next one goes, and that key lies anywhere in the
  // array. So that the chain does not wait for main memory at every step,
  // nextOwner[y] caches the owner of the key at y's next position (a small
  // array, which stays in cache far better than the keys), and it is topped
  // up a fixed number of exchanges after y was used, from memory fetched
  // ahead meanwhile. The keys themselves still move through the array, but
  // nothing waits for them. The order produced is that of the plain loop.
  template <class Node, class Arc>
  void permute(graph<Node, Arc>& G) {
    const int32_t n = G.n, m = G.m;
    const Storage array = keys;  // a local copy stays in registers
    int32_t* const next = counts;
    int32_t* const nextOwner = new (std::nothrow) int32_t[n];
    if (nextOwner == nullptr) fail(kNoMemory);
    for (int32_t y = 0; y < n; ++y)
      nextOwner[y] = next[y] < m ? owner(array.get(next[y])) : kUnknown;

    int32_t due[kTopUpDelay];
    for (int32_t& y : due) y = kUnknown;
    unsigned step = 0;
    for (int32_t x = 0; x < n; ++x) {
      const int32_t end = static_cast<int32_t>(G.endOf(G.nodes + x) - G.arcs);
      for (int32_t p = next[x]; p < end; ++p) {
        uint64_t held = array.get(p);
        int32_t y = owner(held);
        while (y != x) {
          const int32_t j = next[y]++;
          int32_t following = nextOwner[y];
          nextOwner[y] = kUnknown;
          // The rare miss goes through a call, which keeps the compiler from
          // making the choice depend on the displaced key.
          if (following == kUnknown) following = ownerAt(array, j);
          const uint64_t displaced = array.get(j);
          array.set(j, held);
          held = displaced;
          if (j + 1 < m) array.prefetch(j + 1);
          int32_t& slot = due[step++ % kTopUpDelay];
          if (slot != kUnknown && nextOwner[slot] == kUnknown && next[slot] < m)
            nextOwner[slot] = owner(array.get(next[slot]));
          slot = y;
          y = following;
        }
        array.set(p, held);
      }
    }
    delete[] nextOwner;
  }

  // No owner: a cache entry not filled yet, or a free slot of `due`. A
  // position past a run's end may be cached; it is never asked for, since a
  // run gives out exactly as many positions as it has.
  static constexpr int32_t kUnknown = -1;
  // Exchanges between a run's use and its top-up: enough for the memory
  // fetched ahead at the use to have arrived.
  static constexpr unsigned kTopUpDelay = 16;

#if defined(__GNUC__)
  __attribute__((noinline))
#endif
  static int32_t
  ownerAt(const Storage& array, int32_t i) {
    return owner(array.get(i));
  }

  Storage keys;
  int32_t stored = 0;
  int32_t* counts = nullptr;  // elements per node at x + 1, then next positions
};
