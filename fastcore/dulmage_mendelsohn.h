// The Dulmage-Mendelsohn decomposition of a sparse matrix's pattern, its
// block triangular form and its structural rank, from a maximum matching.
//
//     fast::BipartiteGraph graph{rows, cols, offsets.data(), targets.data()};
//     fast::DulmageMendelsohn dm(graph);
//     if (dm.Solve() != fast::Status::kOptimal) ...
//     dm.row_order(); dm.col_order(); dm.row_blocks(); dm.col_blocks();
//
// Rows are the graph's first side, columns its second; all ids are 0-based.
// The results mean what CSparse's cs_dmperm returns (p, q, r, s, rr, cc):
//
// Coarse: C0 the free columns of a maximum matching; R1 and C1 the rows and
// matched columns that alternating paths from C0 reach (under-determined);
// R0 the free rows; R3 and C3 the matched rows and columns that alternating
// paths from R0 reach (over-determined); R2 and C2 the rest, perfectly
// matched. In the column order C0 C1 C2 C3 and the row order R1 R2 R3 R0 the
// permuted matrix is zero below the staircase
//
//     [A11 A12 A13 A14]     rows R1
//     [ 0   0  A23 A24]     rows R2
//     [ 0   0   0  A34]     rows R3
//     [ 0   0   0  A44]     rows R0
//      C0  C1  C2  C3
//
// Fine: the square part A(R2, C2) is split into its strongly connected
// components (with the matching on its diagonal), in an order that makes it
// block upper triangular; the under-determined part is one block before
// them (when C0 or C1 is not empty), the over-determined part one block
// after (when R3 or R0 is not empty).
//
// Within every part the matched pairs line up: the k-th row of R1 is matched
// to the k-th column of C1, the k-th row of a fine block to its k-th column,
// the k-th row of R3 to the k-th column of C3. So A12, A34 and every fine
// block have a zero-free diagonal.
//
// The coarse sets R1, C0 + C1, R2, C2, R3 + R0 and C3, the fine blocks as
// sets and the structural rank do not depend on the maximum matching; the
// split of C0 + C1 (and R3 + R0) does, as do the orders within a block and
// the order of blocks that the form leaves free.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "matching.h"
#include "status.h"

namespace fast {

class DulmageMendelsohn {
 public:
  // Does not copy the graph: its arrays must outlive the object. The options
  // are the maximum matching's.
  explicit DulmageMendelsohn(const BipartiteGraph& graph, const MatchingOptions& options = {});
  ~DulmageMendelsohn();

  // Checks the arrays (unless options.check_input is false), builds the
  // column side when the graph has none, and allocates the working memory
  // of the matching and of the decomposition, so that Solve() allocates
  // nothing. kInvalidInput or kOutOfMemory as MaximumMatching::Prepare().
  Status Prepare();

  // Computes the decomposition. Call once. What Prepare() returns when it
  // fails, else kOptimal.
  Status Solve();

  // The size of a maximum matching.
  int64_t structural_rank() const { return matching_ ? matching_->size() : 0; }
  // p: row_order()[k] is the row in position k (rows entries).
  const std::vector<int32_t>& row_order() const { return row_order_; }
  // q: col_order()[k] is the column in position k (cols entries).
  const std::vector<int32_t>& col_order() const { return col_order_; }
  // r and s: fine block b holds the rows in positions
  // [row_blocks()[b], row_blocks()[b+1]) and the columns in positions
  // [col_blocks()[b], col_blocks()[b+1]); blocks() + 1 entries each, the
  // first 0, the last rows and cols.
  const std::vector<int32_t>& row_blocks() const { return row_blocks_; }
  const std::vector<int32_t>& col_blocks() const { return col_blocks_; }
  int32_t blocks() const { return static_cast<int32_t>(row_blocks_.size()) - 1; }
  // rr: R1, R2, R3 and R0 hold the positions [rr[0], rr[1]), [rr[1], rr[2]),
  // [rr[2], rr[3]) and [rr[3], rr[4]); rr[0] = 0, rr[4] = rows.
  const std::array<int32_t, 5>& coarse_rows() const { return coarse_rows_; }
  // cc: C0, C1, C2 and C3 hold [cc[0], cc[1]) ... [cc[3], cc[4]).
  const std::array<int32_t, 5>& coarse_cols() const { return coarse_cols_; }
  // The maximum matching the decomposition was built on, after Solve().
  const MaximumMatching& matching() const { return *matching_; }

  // Proves an optimal result: the matching is maximum, p and q are
  // permutations with the matched pairs lined up as above, every entry lies
  // on or above the block diagonal, the coarse parts are what alternating
  // paths from the free vertices reach, and every fine block of the square
  // part is strongly connected.
  bool CheckResult() const;

 private:
  struct Work;

  void Coarse();
  void SquarePartComponents();
  void PlaceSquareRows(int32_t* free_rows);
  void CopySquarePart(int32_t nodes);
  template <class Lists>
  void SearchComponents(Lists lists, int32_t nodes, bool scattered);
  [[gnu::noinline]] void AskForChildren(const int32_t* e, const int32_t* end) const;
  void Fine();
  bool Aligned() const;
  bool OnOrAboveBlockDiagonal() const;
  bool CoarsePartsReached() const;
  bool FineBlocksStronglyConnected() const;

  BipartiteGraph graph_;
  MatchingOptions options_;
  // The column side, when the caller's graph has none.
  std::vector<int64_t> own_col_offsets_;
  std::vector<int32_t> own_col_targets_;
  std::unique_ptr<MaximumMatching> matching_;
  std::vector<int32_t> row_order_;
  std::vector<int32_t> col_order_;
  // Capacity for every block from Prepare() on; sized by Solve().
  std::vector<int32_t> row_blocks_;
  std::vector<int32_t> col_blocks_;
  std::array<int32_t, 5> coarse_rows_{};
  std::array<int32_t, 5> coarse_cols_{};
  std::unique_ptr<Work> work_;
};

}  // namespace fast
