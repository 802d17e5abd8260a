#include "dulmage_mendelsohn.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "dulmage_mendelsohn_work.h"
#include "matching_steps.h"
#include "pothen_fan.h"
#include "strategy.h"

namespace fast {

namespace {

// Marks with `label` what alternating paths from the free vertices of
// `side` (`free_count` of them) reach, as internal::AlternatingReach does.
// When PF+ from that side proved the matching maximum, its marks tell the
// reached vertices of the other side (SearchMemory::proof_start), and a
// pass over them replaces the walk over the reached vertices' lists: their
// mates and the free vertices are the reached vertices of `side`, and the
// free ones are left unmarked (the layout tells them by their mates).
internal::Reached Reach(const internal::Adjacency& side, const internal::SearchMemory& memory,
                        const int32_t* side_mates, const int32_t* other_mates, int32_t others,
                        int32_t free_count, uint8_t label, uint8_t* side_marks,
                        uint8_t* other_marks, int32_t* queue) {
  if (memory.proof_start == 0)
    return internal::AlternatingReach(side, side_mates, other_mates, label, side_marks, other_marks,
                                      queue);
  internal::Reached reached;
  reached.side = free_count;
  const int32_t* visited = memory.visited.data();
  const int32_t proof_start = memory.proof_start;
  for (int32_t w = 0; w < others; ++w) {
    const int32_t mark = visited[w];
    if (mark != internal::kDead && mark < proof_start) continue;
    other_marks[w] = label;
    side_marks[other_mates[w]] = label;
    ++reached.other;
  }
  reached.side += reached.other;
  return reached;
}

}  // namespace

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
    // Every boundary: one per pair at most, and 0, the under- and the
    // over-determined part's.
    const size_t most_blocks = static_cast<size_t>(std::min(graph_.rows, graph_.cols)) + 3;
    row_blocks_.assign(most_blocks, 0);
    col_blocks_.assign(most_blocks, 0);
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
// lays out every part but the square one, whose columns become the nodes
// of the component search.
void DulmageMendelsohn::Coarse() {
  const int32_t* row_mates = matching_->row_mates().data();
  const int32_t* col_mates = matching_->col_mates().data();
  Work& work = *work_;
  // From the free columns: C0 + C1 and R1; from the free rows: R3 + R0 and
  // C3. A side matched whole (a perfect matching has neither) has nothing
  // to search from.
  const int32_t rank = static_cast<int32_t>(matching_->size());
  const internal::Workspace& searches = *matching_->work_;
  internal::Reached under, over;
  if (rank < graph_.cols)
    under = Reach({graph_.cols, graph_.col_offsets, graph_.col_targets}, searches.from_cols,
                  col_mates, row_mates, graph_.rows, graph_.cols - rank, Work::kUnder,
                  work.col_part.data(), work.row_part.data(), work.queue.data());
  if (rank < graph_.rows)
    over = Reach({graph_.rows, graph_.offsets, graph_.targets}, searches.from_rows, row_mates,
                 col_mates, graph_.cols, graph_.rows - rank, Work::kOver, work.row_part.data(),
                 work.col_part.data(), work.queue.data());
  coarse_cols_ = {0, graph_.cols - rank, under.side, graph_.cols - over.other, graph_.cols};
  coarse_rows_ = {0, under.other, graph_.rows - over.side, rank, graph_.rows};
  // Local pointers: the stores below are of bytes and ints, which the
  // compiler must otherwise assume may change any member it reads.
  const uint8_t* col_part = work.col_part.data();
  int32_t* rindex = work.rindex.data();
  int32_t* col_order = col_order_.data();
  int32_t* row_order = row_order_.data();
  // The row matched to the column in position k of C1 goes to position
  // k - cc[1] of R1; of C3, to k - cc[3] + rr[2] in R3. The square part's
  // columns go, in index order, to the list the component search starts
  // from, and their mates' entries to Work::spans.
  int32_t* starts = work.queue.data();
  Work::Span* spans = work.spans.data();
  const int64_t* offsets = graph_.offsets;
  const int32_t* targets = graph_.targets;
  constexpr int32_t kAhead = 16;
  const bool gather = coarse_cols_[3] - coarse_cols_[2] >= Work::kSpansFrom;
  const int32_t under_shift = coarse_cols_[1], over_shift = coarse_cols_[3] - coarse_rows_[2];
  int32_t free_col = 0, under_col = coarse_cols_[1], over_col = coarse_cols_[3];
  for (int32_t c = 0; c < graph_.cols; ++c) {
    const uint8_t part = col_part[c];
    const int32_t mate = col_mates[c];
    rindex[c] = part == Work::kSquare && mate >= 0 ? 0 : Work::kOutside;
    if (mate < 0) {
      col_order[free_col++] = c;
    } else if (part == Work::kSquare) {
      *starts++ = c;
      if (gather) {
        if (c + kAhead < graph_.cols)
          __builtin_prefetch(offsets + std::max(col_mates[c + kAhead], 0));
        spans[c] = {targets + offsets[mate], targets + offsets[mate + 1]};
      }
    } else if (part == Work::kUnder) {
      row_order[under_col - under_shift] = mate;
      col_order[under_col++] = c;
    } else {
      row_order[over_col - over_shift] = mate;
      col_order[over_col++] = c;
    }
  }
  // R0 without a branch per row (free rows lie scattered), up to the last
  // free row, so that no store passes the end of p.
  int32_t* free_rows = row_order + coarse_rows_[3];
  const int32_t* const free_end = row_order + graph_.rows;
  for (int32_t r = 0; free_rows < free_end; ++r) {
    *free_rows = r;
    free_rows += row_mates[r] < 0;
  }
}

// Pearce's iterative form of Tarjan's search over the square part: its
// nodes are the columns of C2, and column c reaches column d when c's mate
// has an entry in d. A component is complete when the search leaves its
// root, after every component it reaches: so the components, laid out from
// the end of the square part backwards as they complete, come in an order
// in which every entry lies on or above the block diagonal.
//
// The column being scanned lives in locals, its ancestors in frames: a
// column whose entries all lead to visited columns (a leaf of the search,
// most columns of a triangular or nearly triangular pattern) costs no
// frame at all.
void DulmageMendelsohn::SquarePartComponents() {
  Work& work = *work_;
  const int32_t* col_mates = matching_->col_mates().data();
  int32_t* rindex = work.rindex.data();
  Work::Frame* frames = work.frames.data();
  int32_t* waiting = work.waiting.data();
  const int32_t nodes = coarse_cols_[3] - coarse_cols_[2];
  int32_t* square_rows = row_order_.data() + coarse_rows_[1];
  int32_t* square_cols = col_order_.data() + coarse_cols_[2];
  int32_t* row_bounds = row_blocks_.data();
  int32_t* col_bounds = col_blocks_.data();
  const int32_t square_row = coarse_rows_[1], square_col = coarse_cols_[2];
  int32_t index = 1, component = nodes - 1, depth = 0, waited = 0, position = nodes;
  size_t first_block = row_blocks_.size() - 1;
  row_bounds[first_block] = square_row + nodes;
  col_bounds[first_block] = square_col + nodes;
  // The column being scanned: its visit index, the least index it is known
  // to reach, its next entry and the end of its row's entries.
  int32_t c = 0, own = 0, low = 0;
  const int32_t *e = nullptr, *end = nullptr;
  const int64_t* offsets = graph_.offsets;
  const int32_t* targets = graph_.targets;
  const Work::Span* spans = work.spans.data();
  const bool gathered = nodes >= Work::kSpansFrom;
  // Inlined whatever the compiler thinks of its size: made a call when
  // the asking ahead was put in it, entering a column of the 1M hex grid
  // as written cost 15M instructions more.
  auto enter = [&](int32_t column) __attribute__((always_inline)) {
    c = column;
    own = low = index++;
    rindex[c] = own;
    if (gathered) {
      e = spans[c].begin;
      end = spans[c].end;
    } else {
      e = targets + offsets[col_mates[c]];
      end = targets + offsets[col_mates[c] + 1];
    }
  };
  auto place = [&](int32_t column) {
    --position;
    square_rows[position] = col_mates[column];
    square_cols[position] = column;
    rindex[column] = component;
    --index;
  };
  int32_t* starts = work.queue.data();
  const bool sinks_last = SinksLast(starts, nodes);
  if (sinks_last) std::reverse(starts, starts + nodes);
  // Where the lists were gathered entering a column is one miss, and
  // asking for the children's cost more than it saved (ks-hard 10M
  // shuffled: 0.27 -> 0.30 s). Nor where the part is searched from its
  // sinks: a column's children are then mostly visited already (ks-hard
  // and long paths 1M shuffled, 1 to 2 ms more; but the shuffled 1M
  // block-diagonal, banded and grid problems, searched from their sinks
  // too, lost their gains with them: component search 9.5 -> 7.7 ms,
  // 11.8 -> 8.7, 22.8 -> 17.7).
  const bool ask_ahead =
      !gathered && !sinks_last &&
      internal::ScatteredInMemory({graph_.rows, graph_.offsets, graph_.targets},
                                  {graph_.cols, graph_.col_offsets, graph_.col_targets});
  constexpr int32_t kAhead = 16;
  for (int32_t i = 0; i < nodes; ++i) {
    // Most searches of a nearly triangular part are a start alone: the
    // lists of the starts to come are fetched early.
    if (i + 2 * kAhead < nodes)
      __builtin_prefetch(gathered ? static_cast<const void*>(spans + starts[i + 2 * kAhead])
                                  : offsets + col_mates[starts[i + 2 * kAhead]]);
    if (i + kAhead < nodes)
      __builtin_prefetch(gathered ? spans[starts[i + kAhead]].begin
                                  : targets + offsets[col_mates[starts[i + kAhead]]]);
    const int32_t start = starts[i];
    if (rindex[start] != 0) continue;
    enter(start);
    for (;;) {
      // Scans c's entries until one leads to a column not yet visited.
      for (; e < end; ++e) {
        const int32_t seen = rindex[*e];
        if (seen == 0) break;
        low = std::min(low, seen);
      }
      if (e < end) {
        rindex[c] = low;
        frames[depth++] = {c, own, e, end};
        enter(*e);
        if (ask_ahead) AskForChildren(e, end);
        continue;
      }
      // What c's parent learns: the least index c reaches, or nothing once
      // c's component is complete.
      int32_t reached = low;
      if (low == own) {
        // c's component: c and the waiting columns visited after it.
        place(c);
        while (waited > 0 && own <= rindex[waiting[waited - 1]]) place(waiting[--waited]);
        --component;
        row_bounds[--first_block] = square_row + position;
        col_bounds[first_block] = square_col + position;
        reached = Work::kOutside;
      } else {
        rindex[c] = low;
        waiting[waited++] = c;
      }
      if (depth == 0) break;
      const Work::Frame& parent = frames[--depth];
      c = parent.node;
      own = parent.index;
      low = std::min(rindex[c], reached);
      e = parent.next + 1;
      end = parent.end;
    }
  }
  work.first_block = first_block;
}

// The component search goes on from the column just entered to one of
// its entries [e, end), and where the numbering scatters the graph
// entering one is a chain of misses (its mate, the mate's offsets, its
// entries, their marks): asked for now, the first links of the children's
// chains are fetched together: `fastmatch -d` on the shuffled 1M hex grid
// 0.102 -> 0.073 s, hidden-perfect 0.065 -> 0.059 (CPU 1). Out of line, so
// that the search's own step stays small where nothing is asked for.
void DulmageMendelsohn::AskForChildren(const int32_t* e, const int32_t* end) const {
  constexpr int64_t kChildren = 8;  // at most, from the list's start
  const int32_t* rindex = work_->rindex.data();
  const int32_t* col_mates = matching_->col_mates().data();
  for (const int32_t* child = e; child < end && child < e + kChildren; ++child) {
    __builtin_prefetch(rindex + *child);
    __builtin_prefetch(graph_.offsets + std::max(col_mates[*child], 0));
  }
}

// Whether the square part's sinks, where a search is a start alone and
// keeps no path, come last in `starts` (its columns in index order, not
// yet visited): the rows of a sample of them have more entries in later
// columns of the part than in earlier ones. A nearly triangular part is
// then searched from its last column backwards, each search mostly a start
// alone, where from the first it would go down one long path.
bool DulmageMendelsohn::SinksLast(const int32_t* starts, int32_t nodes) const {
  constexpr int32_t kSample = 64;
  const int64_t* offsets = graph_.offsets;
  const int32_t* targets = graph_.targets;
  const int32_t* col_mates = matching_->col_mates().data();
  const int32_t* rindex = work_->rindex.data();
  int64_t later = 0, earlier = 0;
  for (int32_t k = 0; k < std::min(kSample, nodes); ++k) {
    const int32_t c = starts[static_cast<int64_t>(k) * nodes / std::min(kSample, nodes)];
    const int32_t row = col_mates[c];
    for (int64_t e = offsets[row]; e < offsets[row + 1]; ++e) {
      const int32_t d = targets[e];
      const bool square = rindex[d] == 0;
      later += square && d > c;
      earlier += square && d < c;
    }
  }
  return later > earlier;
}

// The fine block boundaries: the under-determined part, the components of
// the square part, the over-determined part. The square part's boundaries
// start at rr[1] and cc[2], which are 0 when the under-determined part is
// empty and else end it.
void DulmageMendelsohn::Fine() {
  const bool under = coarse_cols_[2] > 0, over = coarse_rows_[2] < graph_.rows;
  const size_t first = work_->first_block, square = row_blocks_.size() - first;
  std::copy(row_blocks_.begin() + first, row_blocks_.end(), row_blocks_.begin() + under);
  std::copy(col_blocks_.begin() + first, col_blocks_.end(), col_blocks_.begin() + under);
  row_blocks_[0] = 0;
  col_blocks_[0] = 0;
  if (over) {
    row_blocks_[under + square] = graph_.rows;
    col_blocks_[under + square] = graph_.cols;
  }
  row_blocks_.resize(under + square + over);
  col_blocks_.resize(under + square + over);
}

}  // namespace fast
