// The decomposition's working memory, had in Prepare().
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "dulmage_mendelsohn.h"

namespace fast {

namespace internal {

// A list of entries, [begin, end).
struct Entries {
  const int32_t* begin;
  const int32_t* end;
};

// A record of the square part's copy (DulmageMendelsohn::Work::records)
// starts with this many numbers before its list.
constexpr int32_t kRecordHead = 4;

}  // namespace internal

struct DulmageMendelsohn::Work {
  // The coarse part of a row or column: what alternating paths from the
  // free columns reach (R1, C0 + C1), what they reach from the free rows
  // (R3 + R0, C3), and neither (R2, C2). The two reached sets never meet
  // under a maximum matching: a vertex in both would end an augmenting path.
  // A free vertex may be left kSquare: its mate tells it.
  static constexpr uint8_t kSquare = 0;
  static constexpr uint8_t kUnder = 1;
  static constexpr uint8_t kOver = 3;
  std::vector<uint8_t> row_part;
  std::vector<uint8_t> col_part;
  // The alternating searches' queue, a side's count at most; then the
  // columns of the square part in index order (where copied, its records in
  // order), where the component search starts.
  std::vector<int32_t> queue;

  // The component search over the square part, whose nodes are the
  // columns of C2. rindex[c] for a column c of C2: 0
  // before c is visited; while c is on the search path or waiting, the
  // smallest visit index c is known to reach (c's own while c may be its
  // component's root); once c's component is complete, that component's
  // number, larger than every visit index then in use. kOutside for every
  // other column, which the search thus neither enters nor takes an index
  // from. Indexed by column, so that an entry costs one random access.
  // Where the square part is copied (records, below), rindex[c] is the
  // record of c's mate for a column c of C2 and kOutside for every other
  // column, and the last entry, past the columns, takes the stores of the
  // rows outside the part (DulmageMendelsohn::PlaceSquareRows).
  static constexpr int32_t kOutside = std::numeric_limits<int32_t>::max();
  std::vector<int32_t> rindex;
  // Per column of C2, when C2 has kSpansFrom columns or more: its mate's
  // entries, gathered by the coarse pass, whose reads are independent, so
  // that entering a column costs one random access where mate, offsets and
  // entries were a chain of three. On smaller parts, whose arrays the
  // caches hold, the chain is cheap and the pass would cost more than it
  // saves (the 1M hex grid in its own order: 6 to 7 ms; at 10M the
  // ks-hard component search 0.30 -> 0.25 s, the shuffled hex grid's 3.0
  // -> 2.5 s).
  static constexpr int32_t kSpansFrom = 1 << 20;
  std::vector<internal::Entries> spans;
  // The square part copied into records, where the numbering scatters the
  // graph and the part has fewer than kSpansFrom columns and a third of the
  // rows at least (Coarse() says why): a record a row r of R2, in row
  // order, holding the visit index of the node it is (as rindex's), the end
  // of its list, r's mate, r, and the list: the records of the rows matched
  // to r's entries in C2, with room for all of r's entries. Looking at a
  // child's index brings in the start of the child's list, where entering
  // a column read its mate, the mate's offsets and its entries one after
  // another. Placed and filled by two sweeps over the rows in order, which
  // read their entries in order. Had for graphs of kCopiedEntries entries
  // or fewer, whose records' places fit 32 bits, and only where the solve
  // may copy the part (DulmageMendelsohn::Prepare).
  static constexpr int64_t kCopiedEntries = int64_t{1} << 23;
  std::vector<int32_t> records;
  // Whether this solve's coarse pass chose to copy the square part.
  bool square_copied = false;
  // The search path above the node being scanned: each node with its
  // visit index, the entry that led to its child on the path and the end
  // of its list.
  struct Frame {
    int32_t node;
    int32_t index;
    const int32_t* next;
    const int32_t* end;
  };
  std::vector<Frame> frames;
  // Nodes whose search is over but whose component's root is still on the
  // path, in visit order.
  std::vector<int32_t> waiting;
  // The square part's block boundaries (positions in p and q) are in
  // r[first_block ...] and s[first_block ...] up to their last entries,
  // the first boundary rr[1] and cc[2], the last rr[2] and cc[3]: the
  // search lays them out from the end of r and s backwards.
  size_t first_block = 0;

  Work(int32_t rows, int32_t cols, int64_t entries, bool copyable)
      : row_part(rows, 0),
        col_part(cols, 0),
        queue(std::max(rows, cols)),
        rindex(static_cast<size_t>(cols) + 1),
        spans(cols >= kSpansFrom ? cols : 0),
        records(copyable && entries <= kCopiedEntries
                    ? internal::kRecordHead * std::min(int64_t{rows}, entries) + entries
                    : 0),
        frames(std::min(rows, cols)),
        waiting(std::min(rows, cols)) {}
};

}  // namespace fast
