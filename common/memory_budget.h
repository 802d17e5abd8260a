// The memory a run may count on. Readers compare what a problem needs with
// it before allocating anything: with overcommitted memory an allocation
// that succeeds is no promise, and a problem larger than the machine would
// otherwise end with the process killed once the memory is touched.
#pragma once

#include <cstdint>

// Bytes of physical memory, or the address-space or data-segment limit of
// the process when that is smaller.
uint64_t memoryBudget();

// Whether `bytes` fit in the budget.
inline bool affordable(uint64_t bytes) { return bytes <= memoryBudget(); }

// A reader's worst case: n + 1 node records and `entries` + 1 arc elements,
// its own working memory (8 bytes per node at most while the lists are
// built; the entries are sorted inside the arc array), and the driver's
// work queues (at most three, n + 1 pointers each).
constexpr uint64_t kQueuesPerRun = 3;
constexpr uint64_t kReaderBytesPerNode = 8;
inline uint64_t problemBytes(uint64_t nodes, uint64_t entries, uint64_t nodeBytes,
                             uint64_t arcBytes) {
  return (nodes + 1) * (nodeBytes + kReaderBytesPerNode + kQueuesPerRun * sizeof(void*)) +
         (entries + 1) * arcBytes;
}
