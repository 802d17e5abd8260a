#include "report.h"

#include <sys/resource.h>

#include <cstdio>

#include "run_state.h"

float cpuTime() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<float>(usage.ru_utime.tv_sec) +
         static_cast<float>(usage.ru_utime.tv_usec) / 1000000.0f;
}

void printMatchingReport(int32_t n, int32_t m, float seconds) {
  long nodes = n - 2L;
  long edges = (m - 2 * nodes) / 2;
  std::printf("%8ld %8ld %8ld %8lld %8lld %11.2f\n", nodes, edges,
              static_cast<long>(stats.augments), static_cast<long long>(stats.pushes),
              static_cast<long long>(stats.work), static_cast<double>(seconds));
}

void printFlowReport(int32_t n, int32_t m, long flow, float seconds) {
  std::printf("%8ld %8ld %8ld %21llu %21llu %11.2f\n", static_cast<long>(n),
              static_cast<long>(m / 2), flow, static_cast<unsigned long long>(stats.pushes),
              static_cast<unsigned long long>(stats.work), static_cast<double>(seconds));
}
