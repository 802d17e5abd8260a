// DulmageMendelsohn::CheckResult(): the decomposition proved from the graph
// and the matching, by searches of its own.
#include <algorithm>
#include <array>
#include <vector>

#include "dulmage_mendelsohn.h"
#include "matching_steps.h"

namespace fast {

namespace {

// Whether `order` lists each of 0 ... count - 1 once; sets position[v] to
// where v is listed.
bool Permutation(const std::vector<int32_t>& order, int32_t count, std::vector<int32_t>* position) {
  if (order.size() != static_cast<size_t>(count)) return false;
  position->assign(count, -1);
  for (int32_t k = 0; k < count; ++k) {
    const int32_t v = order[k];
    if (v < 0 || v >= count || (*position)[v] >= 0) return false;
    (*position)[v] = k;
  }
  return true;
}

// The matched pairs in positions k (rows) and k + shift (columns), k below
// `count`: whether a search over `side` from the vertex at the first position
// of [first, last) reaches every position there, following entries whose
// other end lies there too. vertex_at[k] is the side's vertex at position k;
// position_of[w] - shift the position of the other side's vertex w.
bool Reaches(const internal::Adjacency& side, const int32_t* vertex_at, const int32_t* position_of,
             int32_t shift, int32_t first, int32_t last, std::vector<int32_t>* queue) {
  queue->assign(1, first);
  std::vector<uint8_t> seen(last - first, 0);
  seen[0] = 1;
  for (size_t head = 0; head < queue->size(); ++head) {
    const int32_t v = vertex_at[(*queue)[head]];
    for (int64_t e = side.begin(v); e < side.end(v); ++e) {
      const int32_t k = position_of[side.targets[e]] - shift;
      if (k < first || k >= last || seen[k - first]) continue;
      seen[k - first] = 1;
      queue->push_back(k);
    }
  }
  return queue->size() == static_cast<size_t>(last - first);
}

}  // namespace

bool DulmageMendelsohn::CheckResult() const {
  return matching_ != nullptr && matching_->CheckResult() && Aligned() &&
         OnOrAboveBlockDiagonal() && CoarsePartsReached() && FineBlocksStronglyConnected();
}

// p and q are permutations, the coarse sizes are what the matching leaves,
// the matched pairs line up, and the blocks tile the parts as the form says.
bool DulmageMendelsohn::Aligned() const {
  std::vector<int32_t> position;
  if (!Permutation(row_order_, graph_.rows, &position) ||
      !Permutation(col_order_, graph_.cols, &position))
    return false;
  const auto& rr = coarse_rows_;
  const auto& cc = coarse_cols_;
  const int64_t rank = structural_rank();
  if (rr[0] != 0 || cc[0] != 0 || rr[4] != graph_.rows || cc[4] != graph_.cols ||
      cc[1] != graph_.cols - rank || rr[3] != rank)
    return false;
  for (int i = 1; i < 4; ++i)
    if (rr[i] < rr[i - 1] || rr[i] - rr[i - 1] != cc[i + 1] - cc[i]) return false;
  const std::vector<int32_t>& row_mates = matching_->row_mates();
  for (int32_t k = 0; k < graph_.rows; ++k)
    if (row_mates[row_order_[k]] != (k < rr[3] ? col_order_[k + cc[1]] : -1)) return false;
  const std::vector<int32_t>& r = row_blocks_;
  const std::vector<int32_t>& s = col_blocks_;
  if (r.size() != s.size() || r.empty() || r[0] != 0 || s[0] != 0) return false;
  size_t b = 0;
  if (cc[2] > 0 && (r.size() < 2 || r[++b] != rr[1] || s[b] != cc[2])) return false;
  for (; b + 1 < r.size() && r[b] < rr[2]; ++b)
    if (r[b + 1] <= r[b] || r[b + 1] > rr[2] || r[b + 1] - r[b] != s[b + 1] - s[b]) return false;
  if (r[b] != rr[2] || s[b] != cc[3]) return false;
  if (rr[2] < graph_.rows) ++b;
  return b + 1 == r.size() && r[b] == graph_.rows && s[b] == graph_.cols;
}

bool DulmageMendelsohn::OnOrAboveBlockDiagonal() const {
  std::vector<int32_t> row_block(graph_.rows), col_block(graph_.cols);
  for (int32_t b = 0; b < blocks(); ++b) {
    for (int32_t k = row_blocks_[b]; k < row_blocks_[b + 1]; ++k) row_block[row_order_[k]] = b;
    for (int32_t k = col_blocks_[b]; k < col_blocks_[b + 1]; ++k) col_block[col_order_[k]] = b;
  }
  for (int32_t i = 0; i < graph_.rows; ++i)
    for (int64_t e = graph_.offsets[i]; e < graph_.offsets[i + 1]; ++e)
      if (row_block[i] > col_block[graph_.targets[e]]) return false;
  return true;
}

// The staircase keeps alternating paths from the free columns within R1,
// C0 and C1 (from the free rows within R3, R0 and C3); reaching as many
// vertices as those parts hold, they reach all of them.
bool DulmageMendelsohn::CoarsePartsReached() const {
  std::vector<uint8_t> row_marks(graph_.rows, 0), col_marks(graph_.cols, 0);
  std::vector<int32_t> queue(std::max(graph_.rows, graph_.cols));
  const int32_t* row_mates = matching_->row_mates().data();
  const int32_t* col_mates = matching_->col_mates().data();
  internal::AlternatingReach({graph_.cols, graph_.col_offsets, graph_.col_targets}, col_mates,
                             row_mates, 1, col_marks.data(), row_marks.data(), queue.data());
  internal::AlternatingReach({graph_.rows, graph_.offsets, graph_.targets}, row_mates, col_mates, 2,
                             row_marks.data(), col_marks.data(), queue.data());
  std::array<int32_t, 3> rows{}, cols{};
  for (uint8_t mark : row_marks) ++rows[mark];
  for (uint8_t mark : col_marks) ++cols[mark];
  return rows[1] == coarse_rows_[1] && cols[1] == coarse_cols_[2] &&
         rows[2] == graph_.rows - coarse_rows_[2] && cols[2] == graph_.cols - coarse_cols_[3];
}

// Each block of the square part: its first node reaches all the others,
// forward along the rows' entries and backward along the columns'.
bool DulmageMendelsohn::FineBlocksStronglyConnected() const {
  std::vector<int32_t> row_position, col_position, queue;
  Permutation(row_order_, graph_.rows, &row_position);
  Permutation(col_order_, graph_.cols, &col_position);
  const internal::Adjacency rows{graph_.rows, graph_.offsets, graph_.targets};
  const internal::Adjacency cols{graph_.cols, graph_.col_offsets, graph_.col_targets};
  const int32_t shift = coarse_cols_[1];
  for (int32_t b = 0; b < blocks(); ++b) {
    const int32_t first = row_blocks_[b], last = row_blocks_[b + 1];
    if (first == last || first < coarse_rows_[1] || last > coarse_rows_[2]) continue;
    if (!Reaches(rows, row_order_.data(), col_position.data(), shift, first, last, &queue) ||
        !Reaches(cols, col_order_.data() + shift, row_position.data(), 0, first, last, &queue))
      return false;
  }
  return true;
}

}  // namespace fast
