// The memory budget of the fuzz targets: small, so that a problem line
// declaring millions of nodes ends in the memory message quickly instead of
// allocating and walking arrays for every such input.
#include "memory_budget.h"

uint64_t memoryBudget() { return uint64_t{16} << 20; }
