// The decomposition's working memory, had in Prepare().
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "dulmage_mendelsohn.h"

namespace fast {

struct DulmageMendelsohn::Work {
  // The coarse part of a row or column: what alternating paths from the
  // free columns reach (R1, C0 + C1), what they reach from the free rows
  // (R3 + R0, C3), and neither (R2, C2). The two reached sets never meet
  // under a maximum matching: a vertex in both would end an augmenting path.
  static constexpr uint8_t kSquare = 0;
  static constexpr uint8_t kUnder = 1;
  static constexpr uint8_t kOver = 3;
  std::vector<uint8_t> row_part;
  std::vector<uint8_t> col_part;
  // The alternating searches' queue, a side's count at most.
  std::vector<int32_t> queue;

  // The square part's nodes: node k is the k-th column of C2 by index with
  // its mate, row node_row[k]; node_of_col maps a C2 column to its node and
  // every other column to -1.
  int32_t nodes = 0;
  std::vector<int32_t> node_row;
  std::vector<int32_t> node_of_col;

  // The component search. rindex[v]: 0 before v is visited; while v is on
  // the search path or waiting, the smallest visit index v is known to
  // reach (v's own while v may be its component's root); once v's
  // component is complete, that component's number, larger than every
  // visit index then in use.
  std::vector<int32_t> rindex;
  // The search path: each node with its visit index and its next entry.
  struct Frame {
    int32_t node;
    int32_t index;
    int64_t next;
  };
  std::vector<Frame> frames;
  // Nodes whose search is over but whose component's root is still on the
  // path, in visit order.
  std::vector<int32_t> waiting;
  // Components numbered first_component ... nodes - 1, `components` of them.
  int32_t components = 0;
  int32_t first_component = 0;
  // Per component: where its block starts in the square part, then where
  // the next one does.
  std::vector<int32_t> block_start;

  Work(int32_t rows, int32_t cols)
      : row_part(rows, 0),
        col_part(cols, 0),
        queue(std::max(rows, cols)),
        node_row(std::min(rows, cols)),
        node_of_col(cols),
        rindex(std::min(rows, cols)),
        frames(std::min(rows, cols)),
        waiting(std::min(rows, cols)),
        block_start(static_cast<size_t>(std::min(rows, cols)) + 1) {}
};

}  // namespace fast
