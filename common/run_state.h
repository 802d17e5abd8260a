// The two records every solver program shares with its driver; their single
// instances `stats` and `param` are defined once in run_state.cpp.
#pragma once

#include <cstdint>

// Operation counters, zero at program start, printed in the report line.
// Exactly what each program counts is its counting rule, in the opening
// comment of its solver: matching/augrelabel_solver.cpp,
// matching/depthmatch_solver.cpp, matching/breadthmatch_solver.cpp,
// pushrelabel/pushmatch_solver.cpp and unitflow/unitflow.h.
struct Stats {
  int64_t pushes = 0;  // matched pairs or unit pushes
  int64_t work = 0;    // elementary steps, arc examinations the most of them
  // Matching programs: ends equal to the matching size. Not printed by the
  // unit-flow programs.
  int32_t augments = 0;
};

// Run parameters: static defaults, changed only by options.
struct Params {
  int32_t gapCheck = 1;             // -g sets 0; no solver consults it
  double globalUpdateFactor = 1.0;  // -u U: global update after > U × n relabels
  int32_t greedyInit = 0;           // -i; forced on by some drivers
  int32_t labelOffset = 1;          // -o X: number of the first node (unit-flow input)
};

extern Stats stats;
extern Params param;

// The label of a node that a global update cannot reach; the unit-flow
// relabel also starts its search for the lowest neighbour label from it.
constexpr int32_t kUnreachable = 0x3fffffff;

// The factor that -u 0 sets: so large that no further global update happens.
constexpr double kNoGlobalUpdates = 1073741823.0;
