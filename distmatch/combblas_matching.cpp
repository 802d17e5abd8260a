#include "combblas_matching.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "BipartiteMatchings/BPMaximalMatching.h"
#include "BipartiteMatchings/BPMaximumMatching.h"

#ifdef _OPENMP
#include <omp.h>
#endif
#include "CombBLAS.h"

namespace {

using Index = int64_t;
using BoolMatrix = combblas::SpParMat<Index, bool, combblas::SpDCCols<Index, bool>>;
using IndexVector = combblas::FullyDistVec<Index, Index>;

// Holds rank 0's standard output while the library prints its statistics,
// so that the run prints nothing but its report line.
class CapturedOutput {
 public:
  CapturedOutput() {
    std::cout.flush();
    std::fflush(stdout);
    file = std::tmpfile();
    saved = dup(STDOUT_FILENO);
    if (file != nullptr && saved >= 0) dup2(fileno(file), STDOUT_FILENO);
  }
  // Everything printed since construction.
  std::string release() {
    std::cout.flush();
    std::fflush(stdout);
    std::string text;
    if (saved >= 0) dup2(saved, STDOUT_FILENO), close(saved);
    if (file == nullptr) return text;
    std::rewind(file);
    char block[4096];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) text.append(block, got);
    std::fclose(file);
    return text;
  }

 private:
  FILE* file = nullptr;
  int saved = -1;
};

// maximumMatching's summary row follows its "UnMat" header and a rule; its
// first figure is the number of phases.
int64_t phasesOf(const std::string& statistics) {
  size_t header = statistics.rfind("UnMat");
  if (header == std::string::npos) return 0;
  size_t rule = statistics.find('\n', header);
  size_t row = rule == std::string::npos ? rule : statistics.find('\n', rule + 1);
  long phases = 0;
  if (row != std::string::npos) std::sscanf(statistics.c_str() + row + 1, "%ld", &phases);
  return phases;
}

// maximumMatching cuts each rank's block of rows into four pieces per
// OpenMP thread and divides by the piece's length, so every block must have
// at least that many rows. Rows and columns beyond the graph's have no
// edges and change nothing.
Index paddedLength(Index length, combblas::CommGrid& grid) {
  int threads = 1;
#ifdef _OPENMP
  threads = omp_get_max_threads();
#endif
  Index side = std::max(grid.GetGridRows(), grid.GetGridCols());
  return std::max(length, 4 * threads * side);
}

BoolMatrix buildMatrix(LocalGraph& graph, std::shared_ptr<combblas::CommGrid> grid, Index rows,
                       Index cols) {
  BoolMatrix matrix(grid);
  std::vector<std::vector<std::tuple<Index, Index, bool>>> byOwner(size_t(grid->GetSize()));
  Index local = Index(graph.edges.size());
  for (auto [row, col] : graph.edges) {
    Index localRow, localCol;
    int owner = matrix.Owner(rows, cols, row, col, localRow, localCol);
    byOwner[size_t(owner)].emplace_back(localRow, localCol, true);
  }
  std::vector<std::pair<int64_t, int64_t>>().swap(graph.edges);
  // Parallel edges become one entry.
  matrix.SparseCommon(byOwner, local, rows, cols, [](bool a, bool) { return a; });
  return matrix;
}

}  // namespace

DistributedMatching matchDistributed(LocalGraph& graph) {
  DistributedMatching result;
  int rank;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  if (graph.sideEdges == 0) return result;
  auto grid = std::make_shared<combblas::CommGrid>(MPI_COMM_WORLD, 0, 0);
  Index rows = paddedLength(graph.rows, *grid), cols = paddedLength(graph.cols, *grid);
  BoolMatrix matrix = buildMatrix(graph, grid, rows, cols);
  IndexVector rowMates(grid, rows, Index(-1)), colMates(grid, cols, Index(-1));

  MPI_Barrier(MPI_COMM_WORLD);
  double start = MPI_Wtime();
  std::optional<CapturedOutput> captured;
  if (rank == 0) captured.emplace();
  IndexVector degrees(grid);
  matrix.Reduce(degrees, combblas::Column, std::plus<Index>(), Index(0));
  BoolMatrix transposed = matrix;
  transposed.Transpose();
  combblas::MaximalMatching(matrix, transposed, rowMates, colMates, degrees, KARP_SIPSER);
  result.initialPairs = rowMates.Count([](Index mate) { return mate != -1; });
  // All six arguments: a three-argument call would bind to a friend
  // declaration that the library never defines.
  combblas::maximumMatching(matrix, rowMates, colMates, true, false, false);
  double seconds = MPI_Wtime() - start;
  if (captured) result.phases = phasesOf(captured->release());
  MPI_Allreduce(&seconds, &result.seconds, 1, MPI_DOUBLE, MPI_MAX, MPI_COMM_WORLD);

  result.size = rowMates.Count([](Index mate) { return mate != -1; });
  result.firstRow = rowMates.LengthUntil();
  const Index* mates = rowMates.GetLocArr();
  Index real = std::clamp(graph.rows - result.firstRow, Index(0), rowMates.LocArrSize());
  result.rowMates.assign(mates, mates + real);
  return result;
}
