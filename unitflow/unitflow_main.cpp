// unitflow-lifo and unitflow-fifo: read a unit-capacity network from standard
// input, compute the value of a maximum flow and print the report line.
#include "fail.h"
#include "flow_reader.h"
#include "options.h"
#include "report.h"
#include "run_state.h"
#include "unitflow.h"

FlowGraph G;
bucketArray<node_flow_data> ba;
Stats stats;
Params param;
const char* const messageEnd = "\n";

int main(int argc, char** argv) {
  parse_arguments(argc, argv, kFlowOptions);
  parse(G);
  Queue bfsQueue(G.n + 1L);
  if (!bfsQueue.allocated() || !ba.initialize(G.n, G.n)) fail(kNoMemory);

  float t0 = cpuTime();
  forwardUnitFlow(bfsQueue);
  Queue finishOrder(G.n + 1L);
  if (!finishOrder.allocated()) fail(kNoMemory);
  phase2(bfsQueue, finishOrder);
  float t1 = cpuTime();

  // The sink started at −(m) − 1; 64-bit, since m + 1 may not fit in 32 bits.
  long flow = static_cast<long>(G.sink->excess) + G.m + 1;
  printFlowReport(G.n, G.m, flow, t1 - t0);
  return 0;
}
