// A maximum matching and a maximum flow with the fastcore library.
//
// Build against an installed prefix:
//   cmake -S . -B build -DCMAKE_PREFIX_PATH=PREFIX && cmake --build build
//   g++ -std=c++17 example.cpp $(pkg-config --cflags --libs fastcore)
#include <fastcore/matching.h>
#include <fastcore/unit_flow.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main() {
  // Three rows, three columns; row 0 and row 2 can take only column 0.
  std::vector<int64_t> offsets = {0, 1, 3, 4};
  std::vector<int32_t> targets = {0, 0, 1, 0};
  fast::BipartiteGraph graph{3, 3, offsets.data(), targets.data()};
  fast::MaximumMatching matching(graph);
  if (fast::Status status = matching.Solve(); status != fast::Status::kOptimal) {
    std::fprintf(stderr, "matching: %s\n", fast::StatusMessage(status).data());
    return 1;
  }
  std::printf("matching of size %lld:", static_cast<long long>(matching.size()));
  for (int32_t row = 0; row < graph.rows; ++row) {
    if (matching.row_mates()[row] >= 0) std::printf(" %d-%d", row, matching.row_mates()[row]);
  }
  std::vector<uint8_t> rows_in_cover, cols_in_cover;
  matching.MinimumVertexCover(&rows_in_cover, &cols_in_cover);
  std::printf("; cover: rows");
  for (int32_t row = 0; row < graph.rows; ++row) {
    if (rows_in_cover[row]) std::printf(" %d", row);
  }
  std::printf(", columns");
  for (int32_t col = 0; col < graph.cols; ++col) {
    if (cols_in_cover[col]) std::printf(" %d", col);
  }
  std::printf("\n");

  // Two arc-disjoint paths from node 0 to node 3, and a dead end at node 4.
  std::vector<int32_t> tails = {0, 0, 1, 2, 1, 4};
  std::vector<int32_t> heads = {1, 2, 3, 3, 4, 3};
  fast::UnitNetwork network{5, 6, tails.data(), heads.data(), 0, 3};
  fast::UnitMaxFlow flow(network, fast::FlowAlgorithm::kAuto);
  if (fast::Status status = flow.Solve(); status != fast::Status::kOptimal) {
    std::fprintf(stderr, "flow: %s\n", fast::StatusMessage(status).data());
    return 1;
  }
  std::printf("flow of value %lld, proven: %s\n", static_cast<long long>(flow.value()),
              flow.CheckResult() ? "yes" : "no");
  return 0;
}
