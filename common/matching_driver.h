// The course of the five matching programs: the driver with the option
// string "gio:u:", the matching reader and the matching report line.
#pragma once

#include "driver.h"
#include "matching_reader.h"
#include "options.h"
#include "report.h"
#include "run_state.h"

// The set-up of the matchers whose greedy start runs whatever -i says.
inline void forceGreedyStart() { param.greedyInit = 1; }

// Runs a matching program whose solver entry is `solve`; its parameters
// are the work queues the driver makes.
template <class Node, class... Queues>
int runMatchingSolver(int argc, char** argv, graph<Node>& G, void (*setUp)(),
                      void (*solve)(Queues&...), void (*check)(Queues&...) = nullptr) {
  const SolverProgram<graph<Node>, Queues...> program = {
      kMatchingOptions, parse<Node>, setUp, solve, check, printMatchingReport};
  return runSolver(argc, argv, G, program);
}
