// The course every solver program runs, in this order: options, reader,
// set-up, clock, solver, clock, check, report. A program supplies only what
// differs between them, as a SolverProgram.
#pragma once

#include <cstdint>
#include <cstdio>
#include <tuple>

#include "fail.h"
#include "options.h"
#include "report.h"

// `Queues` are the solver's work queues, in the order its entry takes them;
// the driver makes them with n + 1 slots each once the problem is read.
template <class Graph, class... Queues>
struct SolverProgram {
  const char* options;               // the option string
  void (*read)(Graph& G, FILE* in);  // builds G, or ends the run with a message
  void (*setUp)();                   // after the queues, before the clock; may be null
  void (*solve)(Queues&... queues);  // the timed part
  void (*check)(Queues&... queues);  // after the second clock reading; may be null
  void (*report)(int32_t n, int32_t m, float seconds);  // the report line
};

// Gives every queue n + 1 slots, so that each node fits once; ends the run
// when the memory cannot be obtained.
template <class... Queues>
void makeWorkQueues(int32_t n, Queues&... queues) {
  const bool made = (queues.allocate(n + 1L) & ...);
  if (!made) fail(kNoMemory);
}

// Runs `program` on standard input and returns main's status. Only the
// solver is timed; the queues live until the report line is out.
template <class Graph, class... Queues>
int runSolver(int argc, char** argv, Graph& G, const SolverProgram<Graph, Queues...>& program) {
  parse_arguments(argc, argv, program.options);
  program.read(G, stdin);
  std::tuple<Queues...> queues;
  std::apply([&G](Queues&... q) { makeWorkQueues(G.n, q...); }, queues);
  if (program.setUp != nullptr) program.setUp();
  const float t0 = cpuTime();
  std::apply(program.solve, queues);
  const float t1 = cpuTime();
  if (program.check != nullptr) std::apply(program.check, queues);
  program.report(G.n, G.m, t1 - t0);
  return 0;
}
