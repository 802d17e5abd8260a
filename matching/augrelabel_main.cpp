// augrelabel: reads a matching problem from standard input, computes a
// maximum matching by augment-relabel, checks that it is maximum, and prints
// the report line.
#include "augrelabel.h"
#include "fail.h"
#include "matching_reader.h"
#include "options.h"
#include "report.h"
#include "run_state.h"

graph<match_node> G;
Stats stats;
Params param;
const char* const messageEnd = "";

int main(int argc, char** argv) {
  parse_arguments(argc, argv, kMatchingOptions);
  parse(G);
  param.greedyInit = 1;
  Queue freeNodes(G.n + 1L), path(G.n + 1L), bfsQueue(G.n + 1L);
  if (!freeNodes.allocated() || !path.allocated() || !bfsQueue.allocated()) fail(kNoMemory);

  float t0 = cpuTime();
  arBIM(freeNodes, path, bfsQueue);
  float t1 = cpuTime();

  CheckMatching(path);
  printMatchingReport(G.n, G.m, t1 - t0);
  return 0;
}
