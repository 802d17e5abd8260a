#include "flow_reader.h"

#include <cstdint>
#include <vector>

#include "arc_lists.h"
#include "fail.h"
#include "flow_input.h"
#include "memory_budget.h"
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
    FlowInput<FlowReader> input(*this, param.labelOffset);
    input.read(in);
    G.source = G.nodes + input.source;
    G.sink = G.nodes + input.sink;
    keys.sortIntoLists(G);
    buildRecords();
  }

  void problem(const FlowProblem& problem) {
    const int32_t nodes = problem.nodes, records = 2 * problem.arcs;
    if (!affordable(problemBytes(nodes, records, sizeof(node_flow_data), sizeof(flow_arc))))
      fail(kNoMemory);
    if (!G.makeNodes(nodes) || !G.makeArcs(records)) fail(kNoMemory);
    keys.start(G.arcs, nodes);
  }

  void arc(int32_t tail, int32_t head) {
    const int32_t forward = keys.size();
    keys.add(tail, uint32_t(forward));
    keys.add(head, uint32_t(forward + 1));
  }

 private:
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
  ArcKeys keys;
};

}  // namespace

void parse(FlowGraph& g, FILE* in) { FlowReader(g).read(in); }
