#include "matching_problem.h"

#include <algorithm>
#include <new>

#include "fail.h"
#include "field_scanner.h"
#include "graph.h"
#include "memory_budget.h"
#include "plain_arc_line.h"
#include "problem_input.h"
#include "problem_lines.h"

bool EdgeBuffer::Allocate(int64_t edges) {
  std::free(bytes_);
  bytes_ = static_cast<unsigned char*>(allocateOnHugePages(8 * static_cast<size_t>(edges)));
  return bytes_ != nullptr;
}

namespace {

// Bytes a problem may need at its peak: the edge buffer, both sides'
// offsets and the solver's working arrays.
constexpr uint64_t kBytesPerEdge = 8;
constexpr uint64_t kBytesPerVertex = 40;
// The most pairs of the scratch buffer in which a block of rows is sorted.
constexpr int64_t kScratchPairs = int64_t{1} << 17;

template <class T>
void Resize(std::vector<T>* v, size_t size) {
  try {
    v->assign(size, T{});
  } catch (const std::bad_alloc&) {
    fail(kNoMemory);
  }
}

// Reads the lines into (row, column) pairs for a bipartite problem, or
// (tail, head) pairs for a network, in input order.
class LineReader {
 public:
  explicit LineReader(MatchingProblemFile* problem) : out_(*problem) {}

  void Read(FILE* in) {
    readProblemLinesInBulk(in, *this);
    if (!problem_.seen) fail("no problem line in the input");
    if (arc_lines_left_ > 0) fail("too few arcs input");
    if (problem_.flow && (source_ < 0 || sink_ < 0)) fail("no source or sink in the input");
    out_.report_nodes = problem_.nodes - 2L;
    out_.report_edges = (problem_.entries - 2 * out_.report_nodes) / 2;
  }

  void problemLine(const char* line) {
    if (problem_.seen) fail("more than one problem line");
    problem_ = readMatchingProblemLine(line);
    const uint64_t vertices = static_cast<uint64_t>(problem_.nodes);
    if (!affordable(kBytesPerEdge * problem_.arcs + kBytesPerVertex * vertices)) fail(kNoMemory);
    if (!out_.targets.Allocate(problem_.arcs)) fail(kNoMemory);
    if (!problem_.flow) {
      out_.rows = problem_.firstSide;
      out_.cols = problem_.secondSide;
      Resize(&out_.row_offsets, out_.rows + size_t{1});
      Resize(&out_.col_offsets, out_.cols + size_t{1});
    }
    arc_lines_left_ = problem_.arcs;
  }

  // The bulk path: the plain arc lines at the start of `text` while each
  // names an edge in range ("a X Y" of a bipartite problem, "a T H 1" of a
  // network) and the problem allows another, stored as arcLine stores them.
  const char* plainLines(const char* text, long* count) {
    if (!problem_.seen) return text;
    const long left = arc_lines_left_;
    text = problem_.flow ? PlainArcs<3>(text, problem_.nodes, problem_.nodes)
                         : PlainArcs<2>(text, problem_.firstSide, problem_.secondSide);
    *count = left - arc_lines_left_;
    return text;
  }

  void nodeLine(const char* line) {
    if (!problem_.seen) fail("problem description must come first");
    if (!problem_.flow) fail("Node line not allowed in bipartite graph formulation");
    long number;
    char kind;
    if (scanNodeLine(line, number, kind) < 2)
      fail("wrong number of parameters in a node description line");
    if (number < 1 || number > problem_.nodes) fail("invalid node number");
    if (kind == 's') {
      if (source_ >= 0) fail("Multiple sources not permitted");
      source_ = static_cast<int32_t>(number - 1);
    } else if (kind == 't') {
      if (sink_ >= 0) fail("Multiple sinks not permitted");
      sink_ = static_cast<int32_t>(number - 1);
    } else {
      fail("Improper source-sink description in node description line");
    }
  }

  void arcLine(const char* line) {
    if (arc_lines_left_ == 0) fail("too many arcs input");
    long tail, head, capacity;
    int fields = scanArcLine(line, tail, head, capacity);
    if (fields != (problem_.flow ? 3 : 2))
      fail("wrong number of parameters in an arc desrciption line");
    if (problem_.flow) {
      if (!InRange(tail, problem_.nodes) || !InRange(head, problem_.nodes))
        fail("invalid node reference in an arc description line");
      if (capacity != 1) std::printf("Warning Upper Bound changed to 1\n");
    } else {
      if (!InRange(tail, problem_.firstSide) || !InRange(head, problem_.secondSide))
        fail("invalid node reference in an arc description line");
    }
    out_.targets.set_pair(
        problem_.arcs - arc_lines_left_,
        EdgeBuffer::Pair(static_cast<int32_t>(tail - 1), static_cast<int32_t>(head - 1)));
    --arc_lines_left_;
  }

  bool flow() const { return problem_.flow; }
  long arcs() const { return problem_.arcs; }
  int32_t nodes() const { return problem_.nodes; }
  int32_t source() const { return source_; }
  int32_t sink() const { return sink_; }

 private:
  static bool InRange(long number, long last) { return number >= 1 && number <= last; }

  // Tails in 1 … tails, heads in 1 … heads, and a network's capacity 1.
  template <int kFields>
  const char* PlainArcs(const char* text, uint32_t tails, uint32_t heads) {
    int64_t at = problem_.arcs - arc_lines_left_;
    uint32_t fields[kFields];
    for (const char* after; arc_lines_left_ > 0; text = after, --arc_lines_left_, ++at) {
      after = parsePlainArcLine<kFields>(text, fields);
      if (after == nullptr || fields[0] - 1 >= tails || fields[1] - 1 >= heads) break;
      if constexpr (kFields == 3) {
        if (fields[2] != 1) break;
      }
      out_.targets.set_pair(at, EdgeBuffer::Pair(static_cast<int32_t>(fields[0] - 1),
                                                 static_cast<int32_t>(fields[1] - 1)));
    }
    return text;
  }

  MatchingProblemFile& out_;
  MatchingProblem problem_;
  long arc_lines_left_ = 0;  // arc lines the problem line still allows
  int32_t source_ = -1;      // node index named by the 's' line, -1 before it
  int32_t sink_ = -1;
};

// Turns a network's (tail, head) pairs into (row, column) pairs: the nodes
// joined to the source by one arc each are the rows, those joined to the
// sink the columns, and every other arc must join a row and a column, in
// either direction. Rows and columns are numbered in node order.
class NetworkShape {
 public:
  NetworkShape(MatchingProblemFile* problem, int32_t nodes, int32_t source, int32_t sink)
      : out_(*problem), source_(source), sink_(sink) {
    Resize(&index_, static_cast<size_t>(nodes));
  }

  bool Convert(int64_t arcs) {
    if (source_ == sink_) return false;
    if (!Claim(arcs, source_, kRow) || !Claim(arcs, sink_, kCol)) return false;
    Number();
    int64_t kept = 0;
    for (int64_t i = 0; i < arcs; ++i) {
      uint64_t pair = out_.targets.pair(i);
      int32_t tail = EdgeBuffer::RowOf(pair), head = EdgeBuffer::ColOf(pair);
      if (IsTerminal(tail) || IsTerminal(head)) continue;
      int32_t a = index_[tail], b = index_[head];
      if (a == 0 || b == 0 || (a > 0) == (b > 0)) return false;
      int32_t row = (a > 0 ? a : b) - 1, col = -(a > 0 ? b : a) - 1;
      out_.targets.set_pair(kept++, EdgeBuffer::Pair(row, col));
    }
    out_.edges = kept;
    return true;
  }

 private:
  static constexpr int32_t kRow = 1;
  static constexpr int32_t kCol = -1;

  bool IsTerminal(int32_t node) const { return node == source_ || node == sink_; }

  // Gives `side` to every node that shares an arc with `terminal`; false
  // when such a node is a terminal or already has a side.
  bool Claim(int64_t arcs, int32_t terminal, int32_t side) {
    for (int64_t i = 0; i < arcs; ++i) {
      uint64_t pair = out_.targets.pair(i);
      int32_t tail = EdgeBuffer::RowOf(pair), head = EdgeBuffer::ColOf(pair);
      if (tail != terminal && head != terminal) continue;
      int32_t other = tail == terminal ? head : tail;
      if (IsTerminal(other) || index_[other] != 0) return false;
      index_[other] = side;
    }
    return true;
  }

  // Replaces each side mark by the row number + 1 or -(column number + 1).
  void Number() {
    for (int32_t v = 0; v < static_cast<int32_t>(index_.size()); ++v) {
      if (index_[v] == kRow) {
        out_.row_nodes.push_back(v + 1);
        index_[v] = static_cast<int32_t>(out_.row_nodes.size());
      } else if (index_[v] == kCol) {
        out_.col_nodes.push_back(v + 1);
        index_[v] = -static_cast<int32_t>(out_.col_nodes.size());
      }
    }
    out_.rows = static_cast<int32_t>(out_.row_nodes.size());
    out_.cols = static_cast<int32_t>(out_.col_nodes.size());
    Resize(&out_.row_offsets, out_.rows + size_t{1});
    Resize(&out_.col_offsets, out_.cols + size_t{1});
  }

  MatchingProblemFile& out_;
  int32_t source_, sink_;
  // Per node: 0 for none, r + 1 for row r, -(c + 1) for column c.
  std::vector<int32_t> index_;
};

// The pairs are sorted by row in two rounds: first into blocks of 2^shift
// consecutive rows, whose few write positions stay in cache however the
// input is ordered, then each block by row, within a block small enough
// for the cache.
struct RowBlocks {
  explicit RowBlocks(int32_t rows) {
    while ((static_cast<int64_t>(rows) >> shift) > kMost) ++shift;
    count = rows == 0 ? 0 : ((rows - 1) >> shift) + 1;
    Resize(&starts, count + size_t{1});
  }
  static constexpr int32_t kMost = 1024;
  int shift = 0;
  int32_t count;
  std::vector<int64_t> starts;  // pairs of block b: [starts[b], starts[b + 1])
};

// Counts the degree of column c at col_offsets[c + 1] and the pairs of
// block b at blocks->starts[b + 1]. A pass of its own rather than part of
// the parse: alone, the increments' cache misses overlap each other.
void CountColumnsAndBlocks(MatchingProblemFile* p, RowBlocks* blocks) {
  int64_t* cols = p->col_offsets.data() + 1;
  int64_t* block_counts = blocks->starts.data() + 1;
  const int shift = blocks->shift;
  for (int64_t i = 0; i < p->edges; ++i) {
    const uint64_t pair = p->targets.pair(i);
    ++block_counts[EdgeBuffer::RowOf(pair) >> shift];
    ++cols[EdgeBuffer::ColOf(pair)];
  }
}

// Counts at index v + 1 become run starts at index v.
template <class T>
void StartsFromCounts(std::vector<T>* offsets) {
  for (size_t v = 1; v < offsets->size(); ++v) (*offsets)[v] += (*offsets)[v - 1];
}

// Moves the pairs in [starts[0], starts[keys]) so that the pairs of key k
// fill [starts[k], starts[k+1]), in place: each exchange puts one pair at
// its final place, so the pairs move at most once each.
template <class Key>
void PlaceByKey(EdgeBuffer* pairs, const int64_t* starts, int32_t keys, Key key,
                std::vector<int64_t>* next) {
  next->assign(starts, starts + keys);
  for (int32_t k = 0; k < keys; ++k) {
    for (int64_t at = (*next)[k]; at < starts[k + 1]; at = ++(*next)[k]) {
      uint64_t item = pairs->pair(at);
      for (int32_t owner = key(item); owner != k; owner = key(item)) {
        const int64_t to = (*next)[owner]++;
        const uint64_t displaced = pairs->pair(to);
        pairs->set_pair(to, item);
        item = displaced;
      }
      pairs->set_pair(at, item);
    }
  }
}

// Sorts each block's pairs by row and sets the row offsets from the rows'
// degrees, counted per block in cache. A block that fits in `scratch`
// is copied there and scattered back, which no chain of exchanges slows;
// a larger one is sorted in place.
void SortBlocksByRow(MatchingProblemFile* p, const RowBlocks& blocks) {
  int64_t largest = 0;
  for (int32_t b = 0; b < blocks.count; ++b)
    largest = std::max(largest, blocks.starts[b + 1] - blocks.starts[b]);
  std::vector<uint64_t> scratch;
  Resize(&scratch, static_cast<size_t>(std::min<int64_t>(largest, kScratchPairs)));
  std::vector<int64_t> next;
  p->row_offsets[0] = 0;
  for (int32_t b = 0; b < blocks.count; ++b) {
    const int32_t first = b << blocks.shift;
    const int32_t rows = std::min(p->rows - first, int32_t{1} << blocks.shift);
    const int64_t begin = blocks.starts[b], end = blocks.starts[b + 1];
    int64_t* offsets = p->row_offsets.data() + first;
    for (int32_t r = 1; r <= rows; ++r) offsets[r] = 0;
    for (int64_t i = begin; i < end; ++i)
      ++offsets[EdgeBuffer::RowOf(p->targets.pair(i)) - first + 1];
    offsets[0] = begin;
    for (int32_t r = 1; r <= rows; ++r) offsets[r] += offsets[r - 1];
    auto key = [first](uint64_t pair) { return EdgeBuffer::RowOf(pair) - first; };
    if (end - begin > static_cast<int64_t>(scratch.size())) {
      PlaceByKey(&p->targets, offsets, rows, key, &next);
      continue;
    }
    for (int64_t i = begin; i < end; ++i) scratch[i - begin] = p->targets.pair(i);
    next.assign(offsets, offsets + rows);
    for (int64_t i = 0; i < end - begin; ++i)
      p->targets.set_pair(next[key(scratch[i])]++, scratch[i]);
  }
}

// Keeps each sorted pair's column in slot i of the buffer (slot i lies in
// pair i / 2, already read), then lists every edge under its column in the
// slots after the row targets, in row order. The write position of an edge
// a few ahead is fetched early: these writes go all over the buffer.
void BuildTargets(MatchingProblemFile* p) {
  int32_t* slots = p->targets.targets();
  for (int64_t i = 0; i < p->edges; ++i) slots[i] = EdgeBuffer::ColOf(p->targets.pair(i));
  // Offsets below 2^31 since the entries are: 32 bits halve the cache misses.
  std::vector<uint32_t> next(p->col_offsets.begin(), p->col_offsets.end() - 1);
  int32_t* col_targets = slots + p->edges;
  constexpr int64_t kAhead = 16;
  for (int32_t r = 0; r < p->rows; ++r)
    for (int64_t e = p->row_offsets[r]; e < p->row_offsets[r + 1]; ++e) {
      if (e + kAhead < p->edges) __builtin_prefetch(col_targets + next[slots[e + kAhead]], 1);
      col_targets[next[slots[e]]++] = r;
    }
}

// Builds both sides' adjacency from the pairs.
void BuildAdjacency(MatchingProblemFile* p) {
  RowBlocks blocks(p->rows);
  CountColumnsAndBlocks(p, &blocks);
  StartsFromCounts(&p->col_offsets);
  StartsFromCounts(&blocks.starts);
  std::vector<int64_t> next;
  PlaceByKey(
      &p->targets, blocks.starts.data(), blocks.count,
      [shift = blocks.shift](uint64_t pair) { return EdgeBuffer::RowOf(pair) >> shift; }, &next);
  SortBlocksByRow(p, blocks);
  BuildTargets(p);
}

}  // namespace

void ReadMatchingProblem(FILE* in, MatchingProblemFile* problem) {
  LineReader lines(problem);
  lines.Read(in);
  if (lines.flow()) {
    NetworkShape shape(problem, lines.nodes(), lines.source(), lines.sink());
    if (!shape.Convert(lines.arcs())) fail("not a bipartite matching network");
  } else {
    problem->edges = lines.arcs();
  }
  BuildAdjacency(problem);
}

void BuildMatchingProblem(fileio::Problem& read, MatchingProblemFile* problem) {
  const auto edges = static_cast<int64_t>(read.edges.size());
  problem->rows = static_cast<int32_t>(read.left);
  problem->cols = static_cast<int32_t>(read.right);
  problem->edges = edges;
  problem->report_nodes = problem->rows + long{problem->cols};
  problem->report_edges = static_cast<long>(edges);
  problem->first_number = read.base;
  problem->names = std::move(read.names);
  const uint64_t vertices = read.left + read.right + 2;
  if (!affordable(kBytesPerEdge * edges + kBytesPerVertex * vertices)) fail(kNoMemory);
  if (!problem->targets.Allocate(edges)) fail(kNoMemory);
  for (int64_t i = 0; i < edges; ++i) {
    const fileio::Edge& e = read.edges[i];
    problem->targets.set_pair(
        i, EdgeBuffer::Pair(static_cast<int32_t>(e.tail), static_cast<int32_t>(e.head)));
  }
  std::vector<fileio::Edge>().swap(read.edges);
  Resize(&problem->row_offsets, problem->rows + size_t{1});
  Resize(&problem->col_offsets, problem->cols + size_t{1});
  BuildAdjacency(problem);
}
