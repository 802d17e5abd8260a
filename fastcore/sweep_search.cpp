// Augmenting paths from the free columns, found by sweeps over the rows'
// lists in order (Search::kSweeps): for a caller who gives the rows' lists
// alone, where the columns are the fewer side and a search from the many
// free rows would fail from nearly every one. (From the other side, the
// rows and columns trade places.)
#include <algorithm>

#include "matching_steps.h"

namespace fast::internal {

namespace {

constexpr int32_t kOutside = -1;  // SweepMemory::tree: in no tree
constexpr int32_t kRoot = -1;     // SweepMemory::parent: the free column a tree grows from

// Row `row`, free, lists column `col` of a tree: the path from `col` back
// to its root, each column taking the row that led to the one after it.
void Augment(int32_t row, int32_t col, const int32_t* parent, Mates mates) {
  for (;;) {
    const int32_t before = mates.col[col];
    mates.col[col] = row;
    mates.row[row] = col;
    if (before < 0) break;
    row = before;
    col = parent[col];
  }
  ++*mates.pairs;
}

}  // namespace

// A forest of alternating trees grows from the free columns: a column of
// a tree, listed by a matched row, brings the row's mate into the same
// tree (when it is in no tree, or in one that has augmented already);
// listed by a free row, it ends an augmenting path, and its tree's columns
// are free to join other trees. A sweep reads every list once, in order,
// so a path whose rows come in the wrong order takes a sweep a row, and
// the sweeps go on until one changes nothing: then the trees that have not
// augmented hold every free column and every column their rows' lists
// reach, and no free row lists one, so no augmenting path is left. The hot
// loop tests one bit per entry, in a bitmap of the trees' columns that
// stays in cache, and reads the mates of the rows that list one.
bool SweepSearch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                 Workspace* work, int64_t budget) {
  SweepMemory& memory = work->sweeps;
  memory.tree.resize(cols);
  memory.parent.resize(cols);
  int32_t* const tree = memory.tree.data();
  int32_t* const parent = memory.parent.data();
  memory.augmented.resize(cols / 64 + 1);
  uint64_t* const live = work->taken.data();  // the columns of trees yet to augment
  uint64_t* const augmented_roots = memory.augmented.data();
  const int64_t entries = rows.end(rows.count - 1);
  int64_t scans = 0;
  std::fill(live, live + cols / 64 + 1, 0);
  std::fill(augmented_roots, augmented_roots + cols / 64 + 1, 0);
  int64_t trees = 0;
  for (int32_t c = 0; c < cols; ++c) {
    tree[c] = kOutside;
    if (mates.col[c] >= 0) continue;
    tree[c] = c;
    parent[c] = kRoot;
    Mark(live, c);
    ++trees;
  }
  int64_t augmented = 0;  // trees
  bool changed = true;
  while (changed && trees > augmented) {
    if (budget >= 0 && scans >= budget) {
      counters->arc_scans += scans;
      return false;
    }
    if (work->cancel()) break;
    changed = false;
    for (int32_t r = 0; r < rows.count; ++r) {
      for (int64_t e = rows.begin(r), end = rows.end(r); e < end; ++e) {
        const int32_t c = rows.targets[e];
        if (!Marked(live, c)) continue;
        const int32_t root = tree[c];
        if (Marked(augmented_roots, root)) {
          Unmark(live, c);
          continue;
        }
        const int32_t mate = mates.row[r];
        if (mate < 0) {
          Augment(r, c, parent, mates);
          Mark(augmented_roots, root);
          Unmark(live, c);
          ++augmented;
          changed = true;
          scans -= end - e - 1;  // the rest of the list is not read
          break;
        }
        if (tree[mate] != kOutside && !Marked(augmented_roots, tree[mate])) continue;
        tree[mate] = root;
        parent[mate] = c;
        Mark(live, mate);
        changed = true;
      }
    }
    scans += entries;
    ++counters->phases;  // a sweep
  }
  counters->arc_scans += scans;
  return true;
}

}  // namespace fast::internal
