// CPU timing and the report line of the solver programs.
#pragma once

#include <cstdint>

// User CPU time of this process in seconds, single precision.
float cpuTime();

// "%8ld %8ld %8ld %8lld %8lld %11.2f\n": n − 2, the edge count
// (m − 2(n − 2)) / 2, augments, pushes, work, seconds.
void printMatchingReport(int32_t n, int32_t m, float seconds);

// "%8ld %8ld %8ld %21llu %21llu %11.2f\n": n, m / 2, the flow value,
// pushes, work, seconds.
void printFlowReport(int32_t n, int32_t m, long flow, float seconds);
