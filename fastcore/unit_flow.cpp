#include "unit_flow.h"

#include <cstdlib>
#include <new>

#include "cancel_poll.h"
#include "flow_dinic.h"
#include "flow_matching.h"
#include "flow_push_relabel.h"
#include "flow_residual.h"

namespace fast {

bool ParseFlowAlgorithm(std::string_view name, FlowAlgorithm* algorithm) {
  if (name == "dinic") {
    *algorithm = FlowAlgorithm::kDinic;
  } else if (name == "push-relabel") {
    *algorithm = FlowAlgorithm::kPushRelabel;
  } else if (name == "hybrid") {
    *algorithm = FlowAlgorithm::kHybrid;
  } else if (name == "auto") {
    *algorithm = FlowAlgorithm::kAuto;
  } else {
    return false;
  }
  return true;
}

UnitMaxFlow::UnitMaxFlow(const UnitNetwork& network, FlowAlgorithm algorithm,
                         const std::atomic<bool>* cancel)
    : network_(network), algorithm_(algorithm), cancel_(cancel) {}

UnitMaxFlow::~UnitMaxFlow() = default;

Status UnitMaxFlow::Validate() const {
  const UnitNetwork& g = network_;
  // Residual arc ids are 32-bit, two per input arc.
  if (g.arcs > int64_t{INT32_MAX}) return Status::kOutOfMemory;
  if (g.nodes < 1 || g.arcs < 0 || g.source < 0 || g.source >= g.nodes || g.sink < 0 ||
      g.sink >= g.nodes)
    return Status::kInvalidInput;
  if (g.arcs > 0 && (g.tails == nullptr || g.heads == nullptr)) return Status::kInvalidInput;
  for (int64_t i = 0; i < g.arcs; ++i) {
    if (g.tails[i] < 0 || g.tails[i] >= g.nodes || g.heads[i] < 0 || g.heads[i] >= g.nodes)
      return Status::kInvalidInput;
  }
  return Status::kOptimal;
}

namespace {

// The flow on every input arc and the source side of a minimum cut, read
// from the final residual network: a node is on the source side when the
// sink cannot be reached from it.
template <class Solver>
void Results(const internal::ResidualNetwork& residual, const Solver& solver, int64_t arcs,
             std::vector<uint8_t>* arc_flow, std::vector<uint8_t>* source_side) {
  arc_flow->assign(size_t(arcs), 0);
  for (int64_t i = 0; i < arcs; ++i) {
    uint32_t a = residual.forward(i);
    (*arc_flow)[i] = a != internal::ResidualNetwork::kNone && !residual.open(a);
  }
  source_side->assign(size_t(residual.nodes()), 0);
  for (int32_t u = 0; u < residual.nodes(); ++u) (*source_side)[u] = solver.unlabelled(u);
}

}  // namespace

// A phase of Dinic's costs a pass over the arcs whatever it sends. The first
// kFirstPhases run whatever they send: on layered networks and short paths
// they end the run, the last of them only finding the sink out of reach.
// After them, once a phase sends fewer than one unit per kScansPerUnit arc
// scans, the paths left are long and many, and push-relabel finishes them
// for less. True when the phases ended with the flow maximum.
bool UnitMaxFlow::ShortPhases(internal::Dinic& dinic, internal::CancelPoll& cancel) {
  constexpr int kFirstPhases = 3;
  constexpr int64_t kScansPerUnit = 100;
  for (int phase = 1;; ++phase) {
    const int64_t scans = counters_.arc_scans, units = value_;
    if (cancel() || !dinic.Phase(&value_)) return true;
    const bool paid = (value_ - units) * kScansPerUnit >= counters_.arc_scans - scans;
    if (phase >= kFirstPhases && !paid) return false;
  }
}

Status UnitMaxFlow::Prepare() {
  if (residual_ != nullptr || reduction_ != nullptr) return Status::kOptimal;
  Status status = Validate();
  if (status != Status::kOptimal) return status;
  try {
    if (algorithm_ == FlowAlgorithm::kAuto) {
      reduction_ = std::make_unique<internal::MatchingReduction>();
      if (reduction_->Build(network_)) {
        // The matching's working memory is had here too, as fastmatch has
        // it before its clock.
        MatchingOptions options;
        options.check_input = false;  // built from a checked network
        options.cancel = cancel_;
        options.threads = threads_;
        options.parallel_min_entries = parallel_min_entries_;
        matching_ = std::make_unique<MaximumMatching>(reduction_->graph(), options);
        status = matching_->Prepare();
        if (status != Status::kOptimal) {
          matching_.reset();
          reduction_.reset();
        }
        return status;
      }
      reduction_.reset();
    }
    residual_ = std::make_unique<internal::ResidualNetwork>(network_);
  } catch (const std::bad_alloc&) {
    reduction_.reset();
    matching_.reset();
    return Status::kOutOfMemory;
  }
  return Status::kOptimal;
}

void UnitMaxFlow::SetThreads(int threads, int64_t parallel_min_entries) {
  threads_ = threads;
  parallel_min_entries_ = parallel_min_entries;
}

Status UnitMaxFlow::Solve() {
  Status status = Prepare();
  if (status != Status::kOptimal) return status;
  bool completed = false;
  try {
    value_ = 0;
    completed = reduction_ != nullptr ? SolveMatching() : SolveFlow();
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  if (!completed) return Status::kCancelled;
#ifdef FAST_CHECK_RESULTS
  if (!CheckResult()) std::abort();
#endif
  return Status::kOptimal;
}

bool UnitMaxFlow::SolveFlow() {
  const bool trivial = network_.source == network_.sink;
  internal::ResidualNetwork& residual = *residual_;
  internal::CancelPoll cancel(cancel_);
  if (cancel()) return false;
  internal::Dinic dinic(residual, counters_, cancel);
  // Dinic's ends with the labelling that shows the flow maximum.
  bool maximum = trivial;
  if (algorithm_ == FlowAlgorithm::kDinic && !trivial) value_ = dinic.Run(), maximum = true;
  if (algorithm_ != FlowAlgorithm::kDinic && algorithm_ != FlowAlgorithm::kPushRelabel && !trivial)
    maximum = ShortPhases(dinic, cancel);
  if (!maximum && !cancel.seen()) {
    internal::PushRelabel push_relabel(residual, counters_, cancel);
    value_ += push_relabel.Run();
    if (cancel.seen()) return false;
    // The cut comes from one more labelling, which Dinic's run on a
    // maximum flow amounts to; its work is not counted, nor is it
    // cancelled.
    FlowCounters uncounted;
    internal::CancelPoll never;
    internal::Dinic cut(residual, uncounted, never);
    cut.Run();
    Results(residual, cut, network_.arcs, &arc_flow_, &source_side_);
  } else if (!cancel.seen()) {
    Results(residual, dinic, network_.arcs, &arc_flow_, &source_side_);
  }
  return !cancel.seen();
}

// Phases and arc scans are the matching solver's (its searches' phases and
// adjacency entries read).
bool UnitMaxFlow::SolveMatching() {
  const Status status = matching_->Solve();
  if (status == Status::kOutOfMemory) throw std::bad_alloc();
  if (status == Status::kCancelled) return false;
  value_ = matching_->size();
  counters_.phases = matching_->counters().phases;
  counters_.arc_scans = matching_->counters().arc_scans;
  return true;
}

void UnitMaxFlow::MatchingResults() const {
  if (matching_ != nullptr && arc_flow_.empty() && source_side_.empty())
    reduction_->Results(network_, *matching_, &arc_flow_, &source_side_);
}

const std::vector<uint8_t>& UnitMaxFlow::arc_flow() const {
  MatchingResults();
  return arc_flow_;
}

const std::vector<uint8_t>& UnitMaxFlow::source_side() const {
  MatchingResults();
  return source_side_;
}

bool UnitMaxFlow::CheckResult() const {
  MatchingResults();
  const UnitNetwork& g = network_;
  if (arc_flow_.size() != size_t(g.arcs) || source_side_.size() != size_t(g.nodes)) return false;
  std::vector<int64_t> balance(size_t(g.nodes), 0);  // units in minus units out
  int64_t cut = 0;
  for (int64_t i = 0; i < g.arcs; ++i) {
    balance[g.heads[i]] += arc_flow_[i];
    balance[g.tails[i]] -= arc_flow_[i];
    cut += source_side_[g.tails[i]] && !source_side_[g.heads[i]];
  }
  for (int32_t u = 0; u < g.nodes; ++u)
    if (u != g.source && u != g.sink && balance[u] != 0) return false;
  if (g.source == g.sink) return value_ == 0 && source_side_[g.source];
  return balance[g.sink] == value_ && cut == value_ && source_side_[g.source] &&
         !source_side_[g.sink];
}

}  // namespace fast
