// pushmatch-lifo and pushmatch-fifo: read a matching problem from standard
// input, compute a maximum matching by push-relabel, and print the report
// line. The two differ only in the end of `ba` the solver takes from.
#include <algorithm>
#include <cstdint>

#include "fail.h"
#include "matching_reader.h"
#include "options.h"
#include "pushmatch.h"
#include "report.h"
#include "run_state.h"

graph<match_node> G;
bucketArray<match_node> ba;
Stats stats;
Params param;
const char* const messageEnd = "";

namespace {

int32_t listLength(const match_node* v) { return static_cast<int32_t>(G.endOf(v) - v->first); }

}  // namespace

int main(int argc, char** argv) {
  parse_arguments(argc, argv, kMatchingOptions);
  parse(G);
  Queue bfsQueue(G.n + 1L);
  if (!bfsQueue.allocated()) fail(kNoMemory);
  // No X node can need a label as large as the smaller side.
  int32_t bound = std::min(listLength(G.source), listLength(G.sink));
  if (!ba.initialize(G.n, bound)) fail(kNoMemory);

  float t0 = cpuTime();
  bim(bfsQueue);
  float t1 = cpuTime();

  printMatchingReport(G.n, G.m, t1 - t0);
  return 0;
}
