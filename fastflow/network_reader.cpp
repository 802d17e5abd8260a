#include "network_reader.h"

#include <new>

#include "fail.h"
#include "flow_input.h"
#include "memory_budget.h"

namespace {

// Bytes a solve may need per arc and per node: the arc arrays read here,
// the residual arcs, the flow and cut results, and the solvers' node arrays.
constexpr uint64_t kBytesPerUnitArc = 32;
constexpr uint64_t kBytesPerArc = 48;
constexpr uint64_t kBytesPerNode = 64;

// Keeps the arcs in input order in the network's arrays, and their
// capacities unless every arc counts as one unit.
class NetworkTarget {
 public:
  NetworkTarget(ReadNetwork& network, bool unit) : g(network), unit(unit) {}

  // The arrays are reserved for every declared arc, so the appends never
  // reallocate.
  void problem(const FlowProblem& problem) {
    unit = unit || problem.unit;
    const uint64_t perArc = unit ? kBytesPerUnitArc : kBytesPerArc;
    if (!affordable(uint64_t(problem.arcs) * perArc + uint64_t(problem.nodes) * kBytesPerNode))
      fail(kNoMemory);
    try {
      g.tails.reserve(size_t(problem.arcs));
      g.heads.reserve(size_t(problem.arcs));
      if (!unit) g.capacities.reserve(size_t(problem.arcs));
    } catch (const std::bad_alloc&) {
      fail(kNoMemory);
    }
    g.nodes = problem.nodes;
  }

  void arc(int32_t tail, int32_t head, long capacity, bool whole) {
    if (!unit) {
      if (!whole) failCapacity("not a whole number");
      if (capacity < 0 || capacity > fast::kMaxCapacity)
        failCapacity("out of range (0 to 4611686018427387904)");
      g.capacities.push_back(capacity);
    }
    g.tails.push_back(tail);
    g.heads.push_back(head);
  }

 private:
  // "capacity WHAT in arc line K", K counting the arc lines from 1.
  [[noreturn]] void failCapacity(const char* what) const {
    char message[96];
    std::snprintf(message, sizeof message, "capacity %s in arc line %zu", what, g.tails.size() + 1);
    fail(message);
  }

  ReadNetwork& g;
  bool unit;
};

}  // namespace

ReadNetwork readNetwork(FILE* in, long offset, bool unit) {
  ReadNetwork network;
  NetworkTarget target(network, unit);
  FlowInput<NetworkTarget> input(target, offset);
  input.readInBulk(in);
  network.source = input.source;
  network.sink = input.sink;
  return network;
}
