#include "network_reader.h"

#include <new>

#include "fail.h"
#include "field_scanner.h"
#include "memory_budget.h"
#include "problem_input.h"
#include "problem_lines.h"

namespace {

// Bytes a solve may need per arc and per node: the arc arrays read here,
// the residual arcs, the flow and cut results, and the solvers' node arrays.
constexpr uint64_t kBytesPerArc = 32;
constexpr uint64_t kBytesPerNode = 64;

class NetworkReader {
 public:
  NetworkReader(ReadNetwork& network, long offset) : g(network), offset(offset) {}

  void read(FILE* in) {
    readProblemLines(in, *this);
    if (!problemSeen) fail("no problem line in the input");
    if (arcLinesLeft > 0) fail("too few arcs input");
    if (g.source < 0 || g.sink < 0) fail("no source or sink in the input");
  }

  void problemLine(const char* line) {
    if (problemSeen) fail("more than one problem line");
    problemSeen = true;
    FlowProblem problem = readFlowProblemLine(line);
    if (!affordable(uint64_t(problem.arcs) * kBytesPerArc +
                    uint64_t(problem.nodes) * kBytesPerNode))
      fail(kNoMemory);
    try {
      g.tails.reserve(size_t(problem.arcs));
      g.heads.reserve(size_t(problem.arcs));
    } catch (const std::bad_alloc&) {
      fail(kNoMemory);
    }
    g.nodes = problem.nodes;
    arcLinesLeft = problem.arcs;
  }

  void nodeLine(const char* line) {
    if (!problemSeen) fail("problem description must come first");
    long number;
    char kind;
    if (scanNodeLine(line, number, kind) < 2)
      fail("wrong number of parameters in a node description line");
    int32_t node = flowNodeIndex(number, offset, g.nodes, "invalid node number");
    nameTerminal(g.source, g.sink, node, int32_t{-1}, kind);
    nodeLineSeen = true;
  }

  // The arrays were reserved for every declared arc, so the appends never
  // reallocate.
  void arcLine(const char* line) {
    if (!nodeLineSeen) fail("too few nodes lines");
    if (arcLinesLeft == 0) fail("too many arcs input");
    long tail, head, capacity;
    if (scanArcLine(line, tail, head, capacity) != 3)
      fail("wrong number of parameters in an arc desrciption line");
    const char* badReference = "invalid node reference in an arc description line";
    g.tails.push_back(flowNodeIndex(tail, offset, g.nodes, badReference));
    g.heads.push_back(flowNodeIndex(head, offset, g.nodes, badReference));
    --arcLinesLeft;
  }

 private:
  ReadNetwork& g;
  const long offset;
  bool problemSeen = false;
  bool nodeLineSeen = false;  // arc lines are refused before the first one
  long arcLinesLeft = 0;      // arc lines the problem line still allows
};

}  // namespace

ReadNetwork readNetwork(FILE* in, long offset) {
  ReadNetwork network;
  NetworkReader(network, offset).read(in);
  return network;
}
