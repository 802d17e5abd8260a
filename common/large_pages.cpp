// fastmatch's allocations of half a megabyte and more go on huge pages
// where the system offers them (see allocateOnHugePages). The adjacency, the
// offsets and the solver's per-vertex arrays are all reached at random;
// with small pages nearly every such access also misses the address cache,
// and the first touch of every 4 KiB page costs a fault of its own.
//
// Replacing the global allocation functions reaches every such array,
// whichever part of the program allocates it. Sanitizer builds keep their
// own, which check each new against its delete.
#include <cstdlib>
#include <new>

#include "graph.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define FAST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define FAST_SANITIZED 1
#endif
#endif

#ifndef FAST_SANITIZED

void* operator new(std::size_t bytes) {
  void* p = allocateOnHugePages(bytes);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t bytes) { return operator new(bytes); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

#endif
