// breadthmatch: reads a matching problem from standard input, computes a
// maximum matching by one breadth-first search from every X node still free
// after the greedy start, and prints the report line.
#include "breadthmatch.h"
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
  Queue bfsQueue(G.n + 1L), reached(G.n + 1L);
  if (!bfsQueue.allocated() || !reached.allocated()) fail(kNoMemory);

  float t0 = cpuTime();
  bfsBIM(bfsQueue, reached);
  float t1 = cpuTime();

  printMatchingReport(G.n, G.m, t1 - t0);
  return 0;
}
