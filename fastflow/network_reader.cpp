#include "network_reader.h"

#include <new>

#include "fail.h"
#include "flow_input.h"
#include "memory_budget.h"

namespace {

// Bytes a solve may need per arc and per node: the arc arrays read here,
// the residual arcs, the flow and cut results, and the solvers' node arrays.
constexpr uint64_t kBytesPerArc = 32;
constexpr uint64_t kBytesPerNode = 64;

// Keeps the arcs in input order in the network's two arrays.
class NetworkTarget {
 public:
  explicit NetworkTarget(ReadNetwork& network) : g(network) {}

  // The arrays are reserved for every declared arc, so the appends never
  // reallocate.
  void problem(const FlowProblem& problem) {
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
  }

  void arc(int32_t tail, int32_t head) {
    g.tails.push_back(tail);
    g.heads.push_back(head);
  }

 private:
  ReadNetwork& g;
};

}  // namespace

ReadNetwork readNetwork(FILE* in, long offset) {
  ReadNetwork network;
  NetworkTarget target(network);
  FlowInput<NetworkTarget> input(target, offset);
  input.readInBulk(in);
  network.source = input.source;
  network.sink = input.sink;
  return network;
}
