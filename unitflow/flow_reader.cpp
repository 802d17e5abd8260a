#include "flow_reader.h"

#include <cstdint>
#include <vector>

#include "arc_lists.h"
#include "fail.h"
#include "field_scanner.h"
#include "memory_budget.h"
#include "problem_input.h"
#include "problem_lines.h"
#include "run_state.h"

namespace {

// Stores each arc as two keys in the memory of the record array, one for
// the forward record in the tail's list and one for the reverse record in
// the head's list, each carrying its record's input position (forward 2k,
// reverse 2k + 1 for the k-th arc line). At the end of input the keys are
// sorted into lists and the records built from them.
class FlowReader {
 public:
  explicit FlowReader(FlowGraph& g) : G(g) {}

  void read(FILE* in) {
    readProblemLines(in, *this);
    if (!problemSeen) fail("no problem line in the input");
    if (arcLinesLeft > 0) fail("too few arcs input");
    if (G.source == nullptr || G.sink == nullptr) fail("no source or sink in the input");
    keys.sortIntoLists(G);
    buildRecords();
  }

  void problemLine(const char* line) {
    if (problemSeen) fail("more than one problem line");
    problemSeen = true;
    FlowProblem problem = readFlowProblemLine(line);
    const int32_t nodes = problem.nodes, arcs = problem.arcs;
    int32_t records = 2 * arcs;
    if (!affordable(problemBytes(nodes, records, sizeof(node_flow_data), sizeof(flow_arc))))
      fail(kNoMemory);
    if (!G.makeNodes(nodes) || !G.makeArcs(records)) fail(kNoMemory);
    keys.start(G.arcs, nodes);
    arcLinesLeft = arcs;
  }

  void nodeLine(const char* line) {
    if (!problemSeen) fail("problem description must come first");
    long number;
    char kind;
    if (scanNodeLine(line, number, kind) < 2)
      fail("wrong number of parameters in a node description line");
    nameTerminal(G, G.nodes + nodeIndex(number, "invalid node number"), kind);
    nodeLineSeen = true;
  }

  void arcLine(const char* line) {
    if (!nodeLineSeen) fail("too few nodes lines");
    if (arcLinesLeft == 0) fail("too many arcs input");
    long tail, head, capacity;
    if (scanArcLine(line, tail, head, capacity) != 3)
      fail("wrong number of parameters in an arc desrciption line");
    const char* badReference = "invalid node reference in an arc description line";
    int32_t t = nodeIndex(tail, badReference);
    int32_t h = nodeIndex(head, badReference);
    --arcLinesLeft;
    int32_t forward = keys.size();
    keys.add(t, uint32_t(forward));
    keys.add(h, uint32_t(forward + 1));
  }

 private:
  int32_t nodeIndex(long number, const char* message) const {
    return flowNodeIndex(number, param.labelOffset, G.n, message);
  }

  // Turns the sorted keys (owner, input position) into records, in the same
  // memory. A record's partner has the input position next to its own (the
  // two differ in the lowest bit); the record leads to the partner's owner.
  //   1. An index by input position, 8 bytes per record after the keys:
  //      the record's owner and final position.
  //   2. Each key becomes (the partner's owner, the partner's final position
  //      with the record's direction in bit 31), in place.
  //   3. Records are written from the last down: record q covers bytes
  //      [24q, 24q + 24), which hold only keys at position q or above,
  //      already used.
  void buildRecords() {
    static_assert(sizeof(flow_arc) >= 2 * sizeof(uint64_t), "keys and index fit in the records");
    const int32_t m = G.m;
    ArcKeys::Storage index(reinterpret_cast<unsigned char*>(G.arcs) + 8 * size_t(m));
    for (int32_t q = 0; q < m; ++q) {
      uint64_t k = keys.get(q);
      index.set(int32_t(ArcKeys::payload(k)), ArcKeys::key(ArcKeys::owner(k), uint32_t(q)));
    }
    for (int32_t q = 0; q < m; ++q) {
      uint32_t position = ArcKeys::payload(keys.get(q));
      uint64_t partner = index.get(int32_t(position ^ 1));
      uint32_t direction = (position & 1) << 31;  // 1: a reverse record
      keys.set(q, ArcKeys::key(ArcKeys::owner(partner), ArcKeys::payload(partner) | direction));
    }
    for (int32_t q = m - 1; q >= 0; --q) {
      uint64_t k = keys.get(q);
      int32_t reverse = int32_t(ArcKeys::payload(k) >> 31);
      G.arcs[q] = flow_arc{G.nodes + ArcKeys::owner(k), G.arcs + (ArcKeys::payload(k) & INT32_MAX),
                           reverse, 1 - reverse};
    }
  }

  FlowGraph& G;
  bool problemSeen = false;
  bool nodeLineSeen = false;  // arc lines are refused before the first one
  long arcLinesLeft = 0;      // arc lines the problem line still allows
  ArcKeys keys;
};

}  // namespace

void parse(FlowGraph& g, FILE* in) { FlowReader(g).read(in); }
