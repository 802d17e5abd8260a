#include "memory_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace {

uint64_t softLimit(int resource) {
  rlimit limit;
  if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return UINT64_MAX;
  return limit.rlim_cur;
}

}  // namespace

uint64_t memoryBudget() {
  long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  uint64_t physical = pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : UINT64_MAX;
  return std::min({physical, softLimit(RLIMIT_AS), softLimit(RLIMIT_DATA)});
}
