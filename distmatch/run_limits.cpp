#include "run_limits.h"

#include <sys/resource.h>

#include <algorithm>

#include "memory_budget.h"

namespace {

// A rank's own cost, whatever the problem: Open MPI's runtime and the
// CombBLAS grid take about 17 MB a rank (Open MPI 4.1); twice that is
// counted.
constexpr uint64_t kRankBytes = uint64_t{32} << 20;
// Per row or column of a rank's share: CombBLAS's dense vectors during the
// matching (the mates of both sides, the degrees, and the parents, leaves
// and roots of its searches), eight 8-byte entries at most.
constexpr uint64_t kBytesPerVertexShare = 64;
// Per entry of a rank's share: the edge read (16 bytes), its copies sorted
// by owner and exchanged (2 x 24), and the matrix and its transpose in
// CombBLAS's compressed form (2 x 24).
constexpr uint64_t kBytesPerEntryShare = 128;
// A network's shape is checked with two 4-byte counts per node of the whole
// network on every rank.
constexpr uint64_t kBytesPerNetworkNode = 8;
// No entry line is shorter than four bytes: a declared count beyond that
// is more than the file holds.
constexpr int64_t kShortestEntryLine = 4;

int gridSide(int ranks) {
  int side = 1;
  while (side * side < ranks) ++side;
  return side;
}

uint64_t shareOf(uint64_t count, int ranks) {
  return (count + uint64_t(ranks) - 1) / uint64_t(ranks);
}

}  // namespace

std::string refusedRankCount(int ranks, const ProblemHeader* header) {
  rlimit processes;
  if (getrlimit(RLIMIT_NPROC, &processes) == 0 && processes.rlim_cur != RLIM_INFINITY &&
      uint64_t(ranks) > processes.rlim_cur)
    return std::to_string(ranks) + " ranks are more than the process limit of " +
           std::to_string(processes.rlim_cur) + " (ulimit -u)";
  if (!affordable(uint64_t(ranks) * kRankBytes))
    return std::to_string(ranks) + " ranks need " +
           std::to_string((uint64_t(ranks) * kRankBytes) >> 20) +
           " MiB for their runtime alone, more than the memory budget of " +
           std::to_string(memoryBudget() >> 20) + " MiB";
  if (header == nullptr) return "";
  int64_t larger = std::max<int64_t>({header->rows, header->cols, 1});
  if (gridSide(ranks) > larger)
    return std::to_string(ranks) + " ranks are more than the problem could use: their " +
           std::to_string(gridSide(ranks)) + " x " + std::to_string(gridSide(ranks)) +
           " grid has more blocks a side than the larger side's " + std::to_string(larger) +
           " vertices";
  return "";
}

bool sharesAffordable(const ProblemHeader& header, int64_t fileBytes, MPI_Comm comm) {
  int ranks, local;
  MPI_Comm_size(comm, &ranks);
  MPI_Comm machine;
  MPI_Comm_split_type(comm, MPI_COMM_TYPE_SHARED, 0, MPI_INFO_NULL, &machine);
  MPI_Comm_size(machine, &local);
  MPI_Comm_free(&machine);
  uint64_t entries = uint64_t(std::min(header.declared, fileBytes / kShortestEntryLine));
  if (header.symmetric) entries *= 2;
  uint64_t share =
      kRankBytes +
      shareOf(uint64_t(header.rows) + uint64_t(header.cols), ranks) * kBytesPerVertexShare +
      shareOf(entries, ranks) * kBytesPerEntryShare;
  if (header.form == ProblemForm::kNetwork) share += uint64_t(header.rows) * kBytesPerNetworkNode;
  int fits = affordable(share * uint64_t(local));
  MPI_Allreduce(MPI_IN_PLACE, &fits, 1, MPI_INT, MPI_LAND, comm);
  return fits;
}
