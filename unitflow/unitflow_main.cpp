// unitflow-lifo and unitflow-fifo: read a unit-capacity network from standard
// input, compute the value of a maximum flow and print the report line.
#include "driver.h"
#include "flow_reader.h"
#include "options.h"
#include "report.h"
#include "unitflow.h"

FlowGraph G;
bucketArray<node_flow_data> ba;
const char* const messageEnd = "\n";

namespace {

void setUp() {
  if (!ba.initialize(G.n, G.n)) fail(kNoMemory);
}

// Both phases are timed, and so is the making of phase 2's second queue.
void solve(Queue& bfsQueue) {
  forwardUnitFlow(bfsQueue);
  Queue finishOrder;
  makeWorkQueues(G.n, finishOrder);
  phase2(bfsQueue, finishOrder);
}

// The sink started at −(m) − 1; 64-bit, since m + 1 may not fit in 32 bits.
void report(int32_t n, int32_t m, float seconds) {
  printFlowReport(n, m, static_cast<long>(G.sink->excess) + m + 1, seconds);
}

}  // namespace

int main(int argc, char** argv) {
  const SolverProgram<FlowGraph, Queue> unitflow = {kFlowOptions, parse,   setUp,
                                                    solve,        nullptr, report};
  return runSolver(argc, argv, G, unitflow);
}
