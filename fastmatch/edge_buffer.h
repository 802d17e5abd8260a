// The memory in which fastmatch builds both sides' adjacency: 8 bytes per
// edge, first holding the edges as (row, column) pairs as they are read,
// then the row side's and the column side's 4-byte targets.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

class EdgeBuffer {
 public:
  EdgeBuffer() = default;
  ~EdgeBuffer() { std::free(bytes_); }
  EdgeBuffer(const EdgeBuffer&) = delete;
  EdgeBuffer& operator=(const EdgeBuffer&) = delete;

  // False when the memory cannot be had.
  bool Allocate(int64_t edges);

  // Pair view: edge i is the row in the high half, the column in the low.
  static uint64_t Pair(int32_t row, int32_t col) {
    return uint64_t(uint32_t(row)) << 32 | uint32_t(col);
  }
  static int32_t RowOf(uint64_t pair) { return int32_t(pair >> 32); }
  static int32_t ColOf(uint64_t pair) { return int32_t(uint32_t(pair)); }
  uint64_t pair(int64_t i) const {
    uint64_t p;
    std::memcpy(&p, bytes_ + 8 * i, 8);
    return p;
  }
  void set_pair(int64_t i, uint64_t p) { std::memcpy(bytes_ + 8 * i, &p, 8); }
  void prefetch_pair(int64_t i) const { __builtin_prefetch(bytes_ + 8 * i); }

  // Target view: 2 × edges 4-byte slots.
  int32_t* targets() { return reinterpret_cast<int32_t*>(bytes_); }

 private:
  // malloc'd, so the two views share bytes of no declared type.
  unsigned char* bytes_ = nullptr;
};
