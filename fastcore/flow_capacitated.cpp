#include "flow_capacitated.h"

#include "capacity_residual.h"
#include "flow_boykov_kolmogorov.h"
#include "flow_capacity_dinic.h"
#include "flow_capacity_push_relabel.h"
#include "flow_pseudoflow.h"

namespace fast::internal {

namespace {

// A few of Dinic's phases, which find the short augmenting paths cheaply,
// then highest-label push-relabel from their flow.
template <class Cap>
class CapacityHybrid {
 public:
  explicit CapacityHybrid(CapacityResidual<Cap>& network)
      : dinic_(network), push_relabel_(network) {}

  int64_t Run(FlowCounters& counters, CancelPoll& cancel) {
    constexpr int kPhases = 3;
    int64_t value = 0;
    for (int phase = 0; phase < kPhases; ++phase)
      if (cancel() || !dinic_.Phase(counters, &value)) return value;
    dinic_done_ = false;
    return push_relabel_.Run(counters, cancel, value);
  }
  bool source_side(int32_t u) const {
    return dinic_done_ ? dinic_.source_side(u) : push_relabel_.source_side(u);
  }
  void MakeFlow() {
    if (!dinic_done_) push_relabel_.MakeFlow();
  }

 private:
  CapacityDinic<Cap> dinic_;
  HighestLabel<Cap> push_relabel_;
  bool dinic_done_ = true;  // Dinic's phases found the flow maximum
};

template <class Cap, template <class> class Algorithm>
class SolverOf final : public CapacitatedSolver {
 public:
  explicit SolverOf(const FlowNetwork& network) : residual_(network), algorithm_(residual_) {}

  int64_t Solve(FlowCounters& counters, CancelPoll& cancel) override {
    return algorithm_.Run(counters, cancel);
  }

  void SourceSide(std::vector<uint8_t>* side) const override {
    side->resize(size_t(residual_.nodes()));
    for (int32_t u = 0; u < residual_.nodes(); ++u) (*side)[u] = algorithm_.source_side(u);
  }

  void ArcFlows(const FlowNetwork& network, std::vector<int64_t>* flows) override {
    algorithm_.MakeFlow();
    residual_.ArcFlows(network, flows);
  }

 private:
  CapacityResidual<Cap> residual_;
  Algorithm<Cap> algorithm_;
};

template <class Cap>
std::unique_ptr<CapacitatedSolver> Make(const FlowNetwork& network, MaxFlowAlgorithm algorithm) {
  switch (algorithm) {
    case MaxFlowAlgorithm::kDinic:
      return std::make_unique<SolverOf<Cap, CapacityDinic>>(network);
    case MaxFlowAlgorithm::kPushRelabel:
      return std::make_unique<SolverOf<Cap, FifoPushRelabel>>(network);
    case MaxFlowAlgorithm::kBoykovKolmogorov:
      return std::make_unique<SolverOf<Cap, BoykovKolmogorov>>(network);
    case MaxFlowAlgorithm::kPseudoflow:
      return std::make_unique<SolverOf<Cap, Pseudoflow>>(network);
    case MaxFlowAlgorithm::kPartialAugment:
      return std::make_unique<SolverOf<Cap, PartialAugmentRelabel>>(network);
    case MaxFlowAlgorithm::kHybrid:
      return std::make_unique<SolverOf<Cap, CapacityHybrid>>(network);
    default:
      return std::make_unique<SolverOf<Cap, HighestLabel>>(network);
  }
}

}  // namespace

std::unique_ptr<CapacitatedSolver> MakeCapacitatedSolver(const FlowNetwork& network,
                                                         MaxFlowAlgorithm algorithm, bool narrow) {
  return narrow ? Make<uint32_t>(network, algorithm) : Make<int64_t>(network, algorithm);
}

}  // namespace fast::internal
