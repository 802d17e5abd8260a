#include "max_flow.h"

#include <cstdlib>
#include <new>
#include <utility>

#include "flow_capacitated.h"

namespace fast {

bool ParseMaxFlowAlgorithm(std::string_view name, MaxFlowAlgorithm* algorithm) {
  static constexpr std::pair<std::string_view, MaxFlowAlgorithm> kNames[] = {
      {"highest-label", MaxFlowAlgorithm::kHighestLabel},
      {"partial-augment", MaxFlowAlgorithm::kPartialAugment},
      {"push-relabel", MaxFlowAlgorithm::kPushRelabel},
      {"dinic", MaxFlowAlgorithm::kDinic},
      {"boykov-kolmogorov", MaxFlowAlgorithm::kBoykovKolmogorov},
      {"pseudoflow", MaxFlowAlgorithm::kPseudoflow},
      {"hybrid", MaxFlowAlgorithm::kHybrid},
      {"auto", MaxFlowAlgorithm::kAuto}};
  for (const auto& [known, value] : kNames) {
    if (name != known) continue;
    *algorithm = value;
    return true;
  }
  return false;
}

namespace {

// The unit solver's algorithm of the same name, when it has one.
bool UnitAlgorithm(MaxFlowAlgorithm algorithm, FlowAlgorithm* unit) {
  switch (algorithm) {
    case MaxFlowAlgorithm::kPushRelabel:
      *unit = FlowAlgorithm::kPushRelabel;
      return true;
    case MaxFlowAlgorithm::kDinic:
      *unit = FlowAlgorithm::kDinic;
      return true;
    case MaxFlowAlgorithm::kHybrid:
      *unit = FlowAlgorithm::kHybrid;
      return true;
    case MaxFlowAlgorithm::kAuto:
      *unit = FlowAlgorithm::kAuto;
      return true;
    default:
      return false;
  }
}

}  // namespace

MaxFlow::MaxFlow(const FlowNetwork& network, MaxFlowAlgorithm algorithm,
                 const std::atomic<bool>* cancel)
    : network_(network), algorithm_(algorithm), cancel_(cancel) {}

MaxFlow::~MaxFlow() = default;

void MaxFlow::SetThreads(int threads, int64_t parallel_min_entries) {
  threads_ = threads;
  parallel_min_entries_ = parallel_min_entries;
}

Status MaxFlow::Validate(Shape* shape) const {
  const FlowNetwork& g = network_;
  // Residual arc ids are 32-bit, two per input arc.
  if (g.arcs > int64_t{INT32_MAX}) return Status::kOutOfMemory;
  if (g.nodes < 1 || g.arcs < 0 || g.source < 0 || g.source >= g.nodes || g.sink < 0 ||
      g.sink >= g.nodes)
    return Status::kInvalidInput;
  if (g.arcs > 0 && (g.tails == nullptr || g.heads == nullptr)) return Status::kInvalidInput;
  int64_t out_of_source = 0, into_sink = 0;
  for (int64_t i = 0; i < g.arcs; ++i) {
    const int32_t t = g.tails[i], h = g.heads[i];
    const int64_t c = g.capacity(i);
    if (t < 0 || t >= g.nodes || h < 0 || h >= g.nodes || c < 0 || c > kMaxCapacity)
      return Status::kInvalidInput;
    shape->all_unit &= c == 1;
    shape->narrow &= c <= int64_t{UINT32_MAX};
    if (t == h) continue;
    shape->terminal_arcs += (t == g.source) + (h == g.sink);
    // Each total stays at most kMaxCapacity, so the test cannot wrap.
    if (t == g.source && c > kMaxCapacity - out_of_source) return Status::kCapacityOverflow;
    if (h == g.sink && c > kMaxCapacity - into_sink) return Status::kCapacityOverflow;
    if (t == g.source) out_of_source += c;
    if (h == g.sink) into_sink += c;
  }
  return Status::kOptimal;
}

// Boykov-Kolmogorov's trees pay where most nodes hang on a terminal and
// paths are short, as in image segmentation; elsewhere its searches can take
// hundreds of times longer than highest-label push-relabel, which is never
// far from the best; discharged by partial augment-relabel, it takes a half
// to a third of the time on RMF and random level graphs and the same on
// the rest (docs/fastflow.md, "Plans").
MaxFlowAlgorithm MaxFlow::Plan(const Shape& shape) const {
  return 2 * shape.terminal_arcs >= network_.nodes ? MaxFlowAlgorithm::kBoykovKolmogorov
                                                   : MaxFlowAlgorithm::kPartialAugment;
}

Status MaxFlow::Build(const Shape& shape) {
  FlowAlgorithm unit_algorithm;
  if (shape.all_unit && UnitAlgorithm(algorithm_, &unit_algorithm)) {
    const UnitNetwork unit{network_.nodes, network_.arcs,   network_.tails,
                           network_.heads, network_.source, network_.sink};
    auto solver = std::make_unique<UnitMaxFlow>(unit, unit_algorithm, cancel_);
    solver->SetThreads(threads_, parallel_min_entries_);
    const Status status = solver->Prepare();
    if (status == Status::kOptimal) unit_ = std::move(solver);
    return status;
  }
  const MaxFlowAlgorithm algorithm =
      algorithm_ == MaxFlowAlgorithm::kAuto ? Plan(shape) : algorithm_;
  solver_ = internal::MakeCapacitatedSolver(network_, algorithm, shape.narrow);
  return Status::kOptimal;
}

Status MaxFlow::Prepare() {
  if (unit_ != nullptr || solver_ != nullptr) return Status::kOptimal;
  Shape shape;
  const Status status = Validate(&shape);
  if (status != Status::kOptimal) return status;
  try {
    return Build(shape);
  } catch (const std::bad_alloc&) {
    unit_.reset();
    solver_.reset();
    return Status::kOutOfMemory;
  }
}

Status MaxFlow::Solve() {
  const Status status = Prepare();
  if (status != Status::kOptimal) return status;
  try {
    if (unit_ != nullptr) {
      const Status unit_status = unit_->Solve();
      if (unit_status != Status::kOptimal) return unit_status;
      value_ = unit_->value();
      counters_ = unit_->counters();
    } else if (network_.source == network_.sink) {
      // Every node on the source side: no arc leaves it, as the unit
      // solver has it.
      value_ = 0;
      source_side_.assign(size_t(network_.nodes), 1);
    } else {
      internal::CancelPoll cancel(cancel_);
      value_ = solver_->Solve(counters_, cancel);
      if (cancel.seen()) return Status::kCancelled;
      solver_->SourceSide(&source_side_);
    }
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
#ifdef FAST_CHECK_RESULTS
  if (!CheckResult()) std::abort();
#endif
  return Status::kOptimal;
}

const std::vector<int64_t>& MaxFlow::arc_flow() const {
  if (!arc_flow_.empty() || network_.arcs == 0) return arc_flow_;
  if (unit_ != nullptr) {
    const std::vector<uint8_t>& carries = unit_->arc_flow();
    arc_flow_.assign(carries.begin(), carries.end());
  } else if (network_.source == network_.sink) {
    arc_flow_.assign(size_t(network_.arcs), 0);
  } else {
    solver_->ArcFlows(network_, &arc_flow_);
  }
  return arc_flow_;
}

const std::vector<uint8_t>& MaxFlow::source_side() const {
  return unit_ != nullptr ? unit_->source_side() : source_side_;
}

bool MaxFlow::CheckResult() const {
  const FlowNetwork& g = network_;
  const std::vector<int64_t>& flow = arc_flow();
  const std::vector<uint8_t>& side = source_side();
  if (flow.size() != size_t(g.arcs) || side.size() != size_t(g.nodes)) return false;
  // Flow in minus flow out; flow going round a cycle may pass 2^63 on the way.
  std::vector<__int128> balance(size_t(g.nodes), 0);
  int64_t cut = 0;
  for (int64_t i = 0; i < g.arcs; ++i) {
    const int32_t t = g.tails[i], h = g.heads[i];
    if (flow[i] < 0 || flow[i] > g.capacity(i) || (t == h && flow[i] != 0)) return false;
    balance[h] += flow[i];
    balance[t] -= flow[i];
    if (side[t] && !side[h]) {
      if (cut > kMaxCapacity - g.capacity(i)) return false;  // more than any value
      cut += g.capacity(i);
    }
    // A backward arc across the cut carries nothing in a maximum flow.
    if (!side[t] && side[h] && flow[i] != 0) return false;
  }
  for (int32_t u = 0; u < g.nodes; ++u)
    if (u != g.source && u != g.sink && balance[u] != 0) return false;
  if (g.source == g.sink) return value_ == 0 && cut == 0 && side[g.source];
  return balance[g.sink] == value_ && cut == value_ && side[g.source] && !side[g.sink];
}

}  // namespace fast
