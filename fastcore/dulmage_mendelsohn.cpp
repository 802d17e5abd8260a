#include "dulmage_mendelsohn.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <type_traits>

#include "dulmage_mendelsohn_work.h"
#include "matching_steps.h"
#include "pothen_fan.h"
#include "strategy.h"

namespace fast {

namespace {

using internal::Entries;

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

// Whether most entries lie in rows of more than 64: sampled at 64 evenly
// spaced entries. Copying a row costs its entries, and the search saves
// about one miss a row it enters: where most of the part's entries lie in
// long rows, the copy costs more than it saves (ks-hard 1M shuffled, 600
// rows of 1,000 entries and 199,400 of about 2: 0.5 ms more copied).
bool MostEntriesInLongRows(const int64_t* offsets, int32_t rows) {
  constexpr int64_t kSample = 64, kLong = 64;
  const int64_t entries = offsets[rows];
  int64_t in_long = 0;
  for (int64_t k = 0; k < kSample && entries > 0; ++k) {
    const int64_t e = (2 * k + 1) * entries / (2 * kSample);
    const int64_t* row = std::upper_bound(offsets, offsets + rows + 1, e) - 1;
    in_long += row[1] - row[0] > kLong;
  }
  return 2 * in_long > kSample;
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
    // The square part's copy (Work::records) is had only where the solve
    // may make it: a scattered graph, most of whose entries lie in short
    // rows; whether its square part is large enough, the coarse pass tells.
    const bool copyable =
        internal::ScatteredInMemory({graph_.rows, graph_.offsets, graph_.targets},
                                    {graph_.cols, graph_.col_offsets, graph_.col_targets}) &&
        !MostEntriesInLongRows(graph_.offsets, graph_.rows);
    work_ = std::make_unique<Work>(graph_.rows, graph_.cols, graph_.offsets[graph_.rows], copyable);
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
  // from, and their mates' entries to Work::spans (unless the part is
  // copied: PlaceSquareRows).
  int32_t* starts = work.queue.data();
  Entries* spans = work.spans.data();
  const int64_t* offsets = graph_.offsets;
  const int32_t* targets = graph_.targets;
  constexpr int32_t kAhead = 16;
  const int32_t square_part = coarse_cols_[3] - coarse_cols_[2];
  const bool gather = square_part >= Work::kSpansFrom;
  // The copy's sweeps cost about 1 ms a quarter million rows, over all the
  // rows (1M shuffled matrices): a part of fewer than a third of them saves
  // less in its search (power-law, uniform, components: 0.3 to 0.8 ms more).
  const bool copy = !gather && !work.records.empty() && int64_t{square_part} * 3 >= graph_.rows;
  work.square_copied = copy;
  const int32_t under_shift = coarse_cols_[1], over_shift = coarse_cols_[3] - coarse_rows_[2];
  int32_t free_col = 0, under_col = coarse_cols_[1], over_col = coarse_cols_[3];
  for (int32_t c = 0; c < graph_.cols; ++c) {
    const uint8_t part = col_part[c];
    const int32_t mate = col_mates[c];
    // Where the part is copied, the sweep over its rows gives a column of
    // C2 its mate's record.
    rindex[c] = part == Work::kSquare && mate >= 0 && !copy ? 0 : Work::kOutside;
    if (mate < 0) {
      col_order[free_col++] = c;
    } else if (part == Work::kSquare) {
      if (copy) continue;
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
  if (copy) return PlaceSquareRows(free_rows);
  for (int32_t r = 0; free_rows < free_end; ++r) {
    *free_rows = r;
    free_rows += row_mates[r] < 0;
  }
}

namespace {

// The square part's nodes are its columns, and column c's list is its
// mate's entries: entering a column reads its mate, the mate's offsets and
// its entries, one after another, or where the coarse pass gathered every
// column's list (Work::spans) one record.
struct ColumnLists {
  const int64_t* offsets;
  const int32_t* targets;
  const int32_t* mates;
  const int32_t* starts;  // the columns of C2 in index order
  int32_t* rindex;
  const Entries* spans;  // null where not gathered
  int32_t& Index(int32_t c) const { return rindex[c]; }
  Entries Of(int32_t c) const {
    if (spans != nullptr) return spans[c];
    return {targets + offsets[mates[c]], targets + offsets[mates[c] + 1]};
  }
  int32_t Start(int32_t k) const { return starts[k]; }
  int32_t Column(int32_t c) const { return c; }
  int32_t Row(int32_t c) const { return mates[c]; }
  // Where the k-th start's offsets are, and its entries once they have come.
  const void* OffsetsAt(int32_t k) const {
    return spans != nullptr ? static_cast<const void*>(spans + starts[k])
                            : offsets + mates[starts[k]];
  }
  const void* EntriesAt(int32_t k) const {
    return spans != nullptr ? spans[starts[k]].begin : targets + offsets[mates[starts[k]]];
  }
};

// The square part copied into records (Work::records): a node is its
// record's place, and the record holds the node's visit index, the end of
// its list, its column, its row and its list. Looking at a child's index
// brings in the start of the child's list with it.
struct Records {
  int32_t* data;
  const int32_t* places;  // the records in order
  int32_t& Index(int32_t p) const { return data[p]; }
  Entries Of(int32_t p) const { return {data + p + internal::kRecordHead, data + data[p + 1]}; }
  int32_t Start(int32_t k) const { return places[k]; }
  int32_t Column(int32_t p) const { return data[p + 2]; }
  int32_t Row(int32_t p) const { return data[p + 3]; }
  // The records come in order: nothing to ask for.
  const void* OffsetsAt(int32_t) const { return nullptr; }
  const void* EntriesAt(int32_t) const { return nullptr; }
};

// Whether the square part's sinks, where a search is a start alone and
// keeps no path, come last among the starts (its nodes in column order,
// none visited yet, so that rindex is 0 for the part's nodes alone): the
// lists of a sample of them have more entries in later nodes of the part
// than in earlier ones. A nearly triangular part is then searched from its
// last column backwards, each search mostly a start alone, where from the
// first it would go down one long path.
template <class Lists>
bool SinksLast(const Lists& lists, int32_t nodes) {
  constexpr int32_t kSample = 64;
  const int32_t sample = std::min(kSample, nodes);
  int64_t later = 0, earlier = 0;
  for (int32_t k = 0; k < sample; ++k) {
    const int32_t c = lists.Start(static_cast<int32_t>(static_cast<int64_t>(k) * nodes / sample));
    const Entries list = lists.Of(c);
    for (const int32_t* e = list.begin; e < list.end; ++e) {
      const bool square = lists.Index(*e) == 0;
      later += square && *e > c;
      earlier += square && *e < c;
    }
  }
  return later > earlier;
}

}  // namespace

// The component search's lists: the records of the part's copy where the
// coarse pass chose to copy it (Work::records), else the columns' lists,
// gathered by the coarse pass on a part of Work::kSpansFrom columns or
// more and otherwise read through the matching.
void DulmageMendelsohn::SquarePartComponents() {
  Work& work = *work_;
  const int32_t nodes = coarse_cols_[3] - coarse_cols_[2];
  const int32_t* starts = work.queue.data();
  const int32_t* col_mates = matching_->col_mates().data();
  int32_t* rindex = work.rindex.data();
  if (work.square_copied) {
    CopySquarePart(nodes);
    SearchComponents(Records{work.records.data(), starts}, nodes, false);
  } else {
    // Where the lists were gathered, entering a column is one miss, and
    // asking for the children's cost more than it saved (ks-hard 10M
    // shuffled: 0.27 -> 0.30 s).
    const bool gathered = nodes >= Work::kSpansFrom;
    const bool scattered = !gathered && internal::ScatteredInMemory(
                                            {graph_.rows, graph_.offsets, graph_.targets},
                                            {graph_.cols, graph_.col_offsets, graph_.col_targets});
    const ColumnLists lists{graph_.offsets, graph_.targets, col_mates,
                            starts,         rindex,         gathered ? work.spans.data() : nullptr};
    SearchComponents(lists, nodes, scattered);
  }
}

// Where the square part is copied, one sweep over the rows lays out R0
// from `free_rows` on, as Coarse() does, and places the records of the
// square part's copy (Work::records): the rows of R2 in index order, each
// with room for all its entries. It lists them in the queue and gives the
// column matched to each its record in rindex (the layout left kOutside to
// every column of C2 and to every other one). No branch per row, which the
// compiler would make of a condition: free rows and the rows of R2 may lie
// scattered (0.5 ms more on the shuffled 1M band with one).
void DulmageMendelsohn::PlaceSquareRows(int32_t* free_rows) {
  Work& work = *work_;
  const uint8_t* row_part = work.row_part.data();
  const int32_t* row_mates = matching_->row_mates().data();
  const int64_t* offsets = graph_.offsets;
  int32_t* to_record = work.rindex.data();
  int32_t* squares = work.queue.data();
  const int32_t rows = graph_.rows, elsewhere = graph_.cols;
  const int32_t* const free_end = row_order_.data() + rows;
  int32_t place = 0;
  for (int32_t r = 0; r < rows; ++r) {
    const int32_t mate = row_mates[r];
    *(free_rows < free_end ? free_rows : to_record + elsewhere) = r;
    free_rows += mate < 0;
    // -1 for a row of R2, else 0.
    const int32_t square = -((row_part[r] == Work::kSquare) & (mate >= 0));
    *squares = r;
    squares -= square;
    to_record[elsewhere + ((mate - elsewhere) & square)] = place;
    place += (internal::kRecordHead + static_cast<int32_t>(offsets[r + 1] - offsets[r])) & square;
  }
}

// Fills the records placed by PlaceSquareRows, a sweep over the rows of
// R2 in index order: their entries come in order, and each costs one read
// of rindex. Leaves each record's place in the queue, where its row was.
void DulmageMendelsohn::CopySquarePart(int32_t nodes) {
  Work& work = *work_;
  int32_t* squares = work.queue.data();
  const int32_t* row_mates = matching_->row_mates().data();
  const int64_t* offsets = graph_.offsets;
  const int32_t* targets = graph_.targets;
  const int32_t* to_record = work.rindex.data();
  int32_t* records = work.records.data();
  int32_t place = 0;
  for (int32_t k = 0; k < nodes; ++k) {
    const int32_t row = squares[k];
    int32_t* record = records + place;
    int32_t* list = record + internal::kRecordHead;
    for (int64_t e = offsets[row]; e < offsets[row + 1]; ++e) {
      // Stored before it is known to be in the part: the record has room
      // for every entry of the row.
      const int32_t node = to_record[targets[e]];
      *list = node;
      list += node != Work::kOutside;
    }
    record[0] = 0;
    record[1] = static_cast<int32_t>(list - records);
    record[2] = row_mates[row];
    record[3] = row;
    squares[k] = place;
    place += internal::kRecordHead + static_cast<int32_t>(offsets[row + 1] - offsets[row]);
  }
}

// Pearce's iterative form of Tarjan's search over the square part: node c
// reaches node d when d is in c's list (c's mate has an entry in d's
// column). A component is complete when the search leaves its root, after
// every component it reaches: so the components, laid out from the end of
// the square part backwards as they complete, come in an order in which
// every entry lies on or above the block diagonal.
//
// The node being scanned lives in locals, its ancestors in frames: a node
// whose entries all lead to visited nodes (a leaf of the search, most
// nodes of a triangular or nearly triangular pattern) costs no frame at
// all.
template <class Lists>
void DulmageMendelsohn::SearchComponents(const Lists lists, int32_t nodes, bool scattered) {
  Work& work = *work_;
  Work::Frame* frames = work.frames.data();
  int32_t* waiting = work.waiting.data();
  int32_t* square_rows = row_order_.data() + coarse_rows_[1];
  int32_t* square_cols = col_order_.data() + coarse_cols_[2];
  int32_t* row_bounds = row_blocks_.data();
  int32_t* col_bounds = col_blocks_.data();
  const int32_t square_row = coarse_rows_[1], square_col = coarse_cols_[2];
  int32_t index = 1, component = nodes - 1, depth = 0, waited = 0, position = nodes;
  size_t first_block = row_blocks_.size() - 1;
  row_bounds[first_block] = square_row + nodes;
  col_bounds[first_block] = square_col + nodes;
  // The node being scanned: its visit index, the least index it is known
  // to reach, its next entry and the end of its list.
  int32_t c = 0, own = 0, low = 0;
  const int32_t *e = nullptr, *end = nullptr;
  // Inlined whatever the compiler thinks of its size: made a call when
  // the asking ahead was put in it, entering a column of the 1M hex grid
  // as written cost 15M instructions more.
  auto enter = [&](int32_t node) __attribute__((always_inline)) {
    c = node;
    own = low = index++;
    lists.Index(c) = own;
    const Entries list = lists.Of(c);
    e = list.begin;
    end = list.end;
  };
  auto place = [&](int32_t node) {
    --position;
    const int32_t column = lists.Column(node);
    square_rows[position] = lists.Row(node);
    square_cols[position] = column;
    lists.Index(node) = component;
    --index;
  };
  const bool sinks_last = SinksLast(lists, nodes);
  // Not where the search starts from the part's sinks: a column's children
  // are then mostly visited already (ks-hard and long paths 1M shuffled, 1
  // to 2 ms more).
  const bool ask_ahead = scattered && !sinks_last;
  // Every policy's starts are the queue's first nodes.
  if (sinks_last) std::reverse(work.queue.data(), work.queue.data() + nodes);
  constexpr int32_t kAhead = 16;
  constexpr bool ask_for_starts = !std::is_same_v<Lists, Records>;
  for (int32_t i = 0; i < nodes; ++i) {
    // Most searches of a nearly triangular part are a start alone: the
    // lists of the starts to come are fetched early.
    if (ask_for_starts && i + 2 * kAhead < nodes)
      __builtin_prefetch(lists.OffsetsAt(i + 2 * kAhead));
    if (ask_for_starts && i + kAhead < nodes) __builtin_prefetch(lists.EntriesAt(i + kAhead));
    const int32_t first = lists.Start(i);
    if (lists.Index(first) != 0) continue;
    enter(first);
    for (;;) {
      // Scans c's entries until one leads to a node not yet visited.
      for (; e < end; ++e) {
        const int32_t seen = lists.Index(*e);
        if (seen == 0) break;
        low = std::min(low, seen);
      }
      if (e < end) {
        lists.Index(c) = low;
        frames[depth++] = {c, own, e, end};
        enter(*e);
        if (ask_ahead) AskForChildren(e, end);
        continue;
      }
      // What c's parent learns: the least index c reaches, or nothing once
      // c's component is complete.
      int32_t reached = low;
      if (low == own) {
        // c's component: c and the waiting nodes visited after it.
        place(c);
        while (waited > 0 && own <= lists.Index(waiting[waited - 1])) place(waiting[--waited]);
        --component;
        row_bounds[--first_block] = square_row + position;
        col_bounds[first_block] = square_col + position;
        reached = Work::kOutside;
      } else {
        lists.Index(c) = low;
        waiting[waited++] = c;
      }
      if (depth == 0) break;
      const Work::Frame& parent = frames[--depth];
      c = parent.node;
      own = parent.index;
      low = std::min(lists.Index(c), reached);
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
