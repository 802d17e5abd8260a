#include "dulmage_mendelsohn.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "dulmage_mendelsohn_work.h"
#include "matching_steps.h"

namespace fast {

DulmageMendelsohn::DulmageMendelsohn(const BipartiteGraph& graph, const MatchingOptions& options)
    : graph_(graph), options_(options) {}

DulmageMendelsohn::~DulmageMendelsohn() = default;

Status DulmageMendelsohn::Prepare() {
  if (work_ != nullptr) return Status::kOptimal;
  if (options_.check_input && !internal::ValidGraph(graph_)) return Status::kInvalidInput;
  try {
    if (graph_.col_offsets == nullptr) {
      internal::Transpose({graph_.rows, graph_.offsets, graph_.targets}, graph_.cols,
                          &own_col_offsets_, &own_col_targets_);
      graph_.col_offsets = own_col_offsets_.data();
      graph_.col_targets = own_col_targets_.data();
    }
    MatchingOptions checked = options_;
    checked.check_input = false;
    matching_ = std::make_unique<MaximumMatching>(graph_, checked);
    const Status prepared = matching_->Prepare();
    if (prepared != Status::kOptimal) return prepared;
    row_order_.assign(graph_.rows, 0);
    col_order_.assign(graph_.cols, 0);
    const size_t most_blocks = static_cast<size_t>(std::min(graph_.rows, graph_.cols)) + 3;
    row_blocks_.reserve(most_blocks);
    col_blocks_.reserve(most_blocks);
    work_ = std::make_unique<Work>(graph_.rows, graph_.cols);
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  return Status::kOptimal;
}

Status DulmageMendelsohn::Solve() {
  const Status prepared = Prepare();
  if (prepared != Status::kOptimal) return prepared;
  const Status matched = matching_->Solve();
  if (matched != Status::kOptimal) return matched;
  Coarse();
  SquarePartComponents();
  Fine();
#ifdef FAST_CHECK_RESULTS
  if (!CheckResult()) std::abort();
#endif
  return Status::kOptimal;
}

// Marks each vertex with its coarse part, sets the coarse boundaries and
// lays out every part but the square one, whose columns and their mates
// become the nodes of the component search.
void DulmageMendelsohn::Coarse() {
  const int32_t* row_mates = matching_->row_mates().data();
  const int32_t* col_mates = matching_->col_mates().data();
  Work& work = *work_;
  internal::AlternatingReach({graph_.cols, graph_.col_offsets, graph_.col_targets}, col_mates,
                             row_mates, Work::kUnder, work.col_part.data(), work.row_part.data(),
                             work.queue.data());
  internal::AlternatingReach({graph_.rows, graph_.offsets, graph_.targets}, row_mates, col_mates,
                             Work::kOver, work.row_part.data(), work.col_part.data(),
                             work.queue.data());
  std::array<int32_t, 4> count{};  // C0, C1, C2, C3
  for (int32_t c = 0; c < graph_.cols; ++c) {
    const uint8_t part = work.col_part[c];
    ++count[part == Work::kUnder ? (col_mates[c] < 0 ? 0 : 1) : part == Work::kOver ? 3 : 2];
  }
  coarse_cols_ = {0, count[0], count[0] + count[1], count[0] + count[1] + count[2], graph_.cols};
  coarse_rows_ = {0, count[1], count[1] + count[2], count[1] + count[2] + count[3], graph_.rows};
  int32_t free_col = 0, under = coarse_cols_[1], over = coarse_cols_[3];
  work.nodes = 0;
  for (int32_t c = 0; c < graph_.cols; ++c) {
    const uint8_t part = work.col_part[c];
    const int32_t mate = col_mates[c];
    work.node_of_col[c] = part == Work::kSquare ? work.nodes : -1;
    if (part == Work::kSquare) {
      work.node_row[work.nodes++] = mate;
    } else if (mate < 0) {
      col_order_[free_col++] = c;
    } else if (part == Work::kUnder) {
      row_order_[under - coarse_cols_[1]] = mate;
      col_order_[under++] = c;
    } else {
      row_order_[coarse_rows_[2] + over - coarse_cols_[3]] = mate;
      col_order_[over++] = c;
    }
  }
  int32_t free_row = coarse_rows_[3];
  for (int32_t r = 0; r < graph_.rows; ++r)
    if (row_mates[r] < 0) row_order_[free_row++] = r;
}

// Pearce's iterative form of Tarjan's search over the square part's nodes:
// node v reaches node w when row node_row[v] has an entry in w's column.
// A component is complete when the search leaves its root; components are
// numbered down from nodes - 1 as they complete, so that every edge runs
// from a number to one no smaller: the numbers in increasing order are a
// topological order of the components.
void DulmageMendelsohn::SquarePartComponents() {
  Work& work = *work_;
  int32_t* rindex = work.rindex.data();
  std::fill(rindex, rindex + work.nodes, 0);
  int32_t index = 1, component = work.nodes - 1, depth = 0, waiting = 0;
  for (int32_t start = 0; start < work.nodes; ++start) {
    if (rindex[start] != 0) continue;
    work.frames[depth++] = {start, index, graph_.offsets[work.node_row[start]]};
    rindex[start] = index++;
    while (depth > 0) {
      Work::Frame& frame = work.frames[depth - 1];
      const int32_t v = frame.node;
      const int64_t end = graph_.offsets[work.node_row[v] + 1];
      // Scans v's entries until one leads to a node not yet visited.
      for (; frame.next < end; ++frame.next) {
        const int32_t w = work.node_of_col[graph_.targets[frame.next]];
        if (w < 0) continue;
        if (rindex[w] == 0) break;
        rindex[v] = std::min(rindex[v], rindex[w]);
      }
      if (frame.next < end) {
        const int32_t w = work.node_of_col[graph_.targets[frame.next]];
        work.frames[depth++] = {w, index, graph_.offsets[work.node_row[w]]};
        rindex[w] = index++;
        continue;
      }
      const bool root = rindex[v] == frame.index;
      --depth;
      if (root) {
        // v's component: v and the waiting nodes visited after it.
        --index;
        while (waiting > 0 && rindex[v] <= rindex[work.waiting[waiting - 1]]) {
          rindex[work.waiting[--waiting]] = component;
          --index;
        }
        rindex[v] = component--;
      } else {
        work.waiting[waiting++] = v;
      }
      if (depth > 0) {
        Work::Frame& parent = work.frames[depth - 1];
        rindex[parent.node] = std::min(rindex[parent.node], rindex[v]);
        ++parent.next;
      }
    }
  }
  work.components = work.nodes - 1 - component;
  work.first_component = component + 1;
}

// Lays out the square part block by block in the components' order, each
// node's row and column in the same position, then sets the fine block
// boundaries.
void DulmageMendelsohn::Fine() {
  Work& work = *work_;
  std::vector<int32_t>& start = work.block_start;
  std::fill(start.begin(), start.begin() + work.components + 1, 0);
  for (int32_t v = 0; v < work.nodes; ++v) ++start[work.rindex[v] - work.first_component + 1];
  for (int32_t b = 0; b < work.components; ++b) start[b + 1] += start[b];
  const int32_t* row_mates = matching_->row_mates().data();
  for (int32_t v = 0; v < work.nodes; ++v) {
    const int32_t position = start[work.rindex[v] - work.first_component]++;
    row_order_[coarse_rows_[1] + position] = work.node_row[v];
    col_order_[coarse_cols_[2] + position] = row_mates[work.node_row[v]];
  }
  // start[b] is now where block b + 1 begins.
  row_blocks_.assign(1, 0);
  col_blocks_.assign(1, 0);
  if (coarse_cols_[2] > 0) {
    row_blocks_.push_back(coarse_rows_[1]);
    col_blocks_.push_back(coarse_cols_[2]);
  }
  for (int32_t b = 0; b < work.components; ++b) {
    row_blocks_.push_back(coarse_rows_[1] + start[b]);
    col_blocks_.push_back(coarse_cols_[2] + start[b]);
  }
  if (coarse_rows_[2] < graph_.rows) {
    row_blocks_.push_back(graph_.rows);
    col_blocks_.push_back(graph_.cols);
  }
}

}  // namespace fast
