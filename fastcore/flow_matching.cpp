#include "flow_matching.h"

namespace fast::internal {

namespace {

// What the classification knows of a node.
enum Role : uint8_t { kOther, kX, kY, kBroken };

}  // namespace

bool MatchingReduction::Build(const UnitNetwork& network) {
  if (network.source == network.sink || !Classify(network)) {
    *this = MatchingReduction();
    return false;
  }
  BuildAdjacency(network);
  return true;
}

// Gives every node its role from the terminal arcs, then checks that the
// other arcs all run from X to Y.
bool MatchingReduction::Classify(const UnitNetwork& g) {
  std::vector<uint8_t> role(size_t(g.nodes), kOther);
  terminal_arc_.assign(size_t(g.nodes), -1);
  for (int64_t i = 0; i < g.arcs; ++i) {
    const int32_t tail = g.tails[i], head = g.heads[i];
    if (head == g.source || tail == g.sink) return false;
    if (tail != g.source && head != g.sink) continue;
    if (tail == g.source && head == g.sink) return false;
    const int32_t node = tail == g.source ? head : tail;
    const Role wanted = tail == g.source ? kX : kY;
    if (role[node] != kOther) return false;  // a second terminal arc
    role[node] = wanted;
    terminal_arc_[node] = i;
  }
  for (int64_t i = 0; i < g.arcs; ++i) {
    const int32_t tail = g.tails[i], head = g.heads[i];
    if (tail == g.source || head == g.sink) continue;
    if (role[tail] != kX || role[head] != kY) return false;
  }
  index_.assign(size_t(g.nodes), -1);
  in_x_.assign(size_t(g.nodes), 0);
  for (int32_t u = 0; u < g.nodes; ++u) {
    if (role[u] == kX) index_[u] = rows_++, in_x_[u] = 1;
    if (role[u] == kY) index_[u] = cols_++;
  }
  return true;
}

// Both sides' compressed adjacency by a counting pass and a scatter.
void MatchingReduction::BuildAdjacency(const UnitNetwork& g) {
  row_offsets_.assign(size_t(rows_) + 1, 0);
  col_offsets_.assign(size_t(cols_) + 1, 0);
  for (int64_t i = 0; i < g.arcs; ++i) {
    if (g.tails[i] == g.source || g.heads[i] == g.sink) continue;
    ++row_offsets_[index_[g.tails[i]] + 1];
    ++col_offsets_[index_[g.heads[i]] + 1];
  }
  for (int32_t r = 0; r < rows_; ++r) row_offsets_[r + 1] += row_offsets_[r];
  for (int32_t c = 0; c < cols_; ++c) col_offsets_[c + 1] += col_offsets_[c];
  row_targets_.resize(size_t(row_offsets_[rows_]));
  col_targets_.resize(size_t(col_offsets_[cols_]));
  std::vector<int64_t> row_next(row_offsets_.begin(), row_offsets_.end() - 1);
  std::vector<int64_t> col_next(col_offsets_.begin(), col_offsets_.end() - 1);
  for (int64_t i = 0; i < g.arcs; ++i) {
    if (g.tails[i] == g.source || g.heads[i] == g.sink) continue;
    const int32_t r = index_[g.tails[i]], c = index_[g.heads[i]];
    row_targets_[row_next[r]++] = c;
    col_targets_[col_next[c]++] = r;
  }
}

BipartiteGraph MatchingReduction::graph() const {
  return {rows_,
          cols_,
          row_offsets_.data(),
          row_targets_.data(),
          col_offsets_.data(),
          col_targets_.data()};
}

void MatchingReduction::Results(const UnitNetwork& g, const MaximumMatching& matching,
                                std::vector<uint8_t>* arc_flow,
                                std::vector<uint8_t>* source_side) const {
  const std::vector<int32_t>& row_mates = matching.row_mates();
  const std::vector<int32_t>& col_mates = matching.col_mates();
  std::vector<uint8_t> row_in_cover, col_in_cover;
  matching.MinimumVertexCover(&row_in_cover, &col_in_cover);
  arc_flow->assign(size_t(g.arcs), 0);
  source_side->assign(size_t(g.nodes), 0);
  (*source_side)[g.source] = 1;
  for (int32_t u = 0; u < g.nodes; ++u) {
    const int32_t k = index_[u];
    if (k < 0) continue;
    const bool matched = in_x_[u] ? row_mates[k] >= 0 : col_mates[k] >= 0;
    if (matched) (*arc_flow)[terminal_arc_[u]] = 1;
    (*source_side)[u] = in_x_[u] ? !row_in_cover[k] : col_in_cover[k];
  }
  // Each matched row sends its unit along its first arc to its mate.
  std::vector<uint8_t> sent(size_t(rows_), 0);
  for (int64_t i = 0; i < g.arcs; ++i) {
    if (g.tails[i] == g.source || g.heads[i] == g.sink) continue;
    const int32_t r = index_[g.tails[i]];
    if (!sent[r] && row_mates[r] == index_[g.heads[i]]) (*arc_flow)[i] = sent[r] = 1;
  }
}

}  // namespace fast::internal
