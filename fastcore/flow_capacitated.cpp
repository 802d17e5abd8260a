#include "flow_capacitated.h"

#include "capacity_residual.h"
#include "flow_capacity_dinic.h"
#include "flow_capacity_push_relabel.h"

namespace fast::internal {

namespace {

template <class Cap, template <class> class Algorithm>
class SolverOf final : public CapacitatedSolver {
 public:
  explicit SolverOf(const FlowNetwork& network) : residual_(network), algorithm_(residual_) {}

  int64_t Solve(FlowCounters& counters) override { return algorithm_.Run(counters); }

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
