// The look at the graph that decides what a MaximumMatching runs: which
// side the searches start from, which first matching, which search.
#pragma once

#include <cstdint>

#include "matching.h"
#include "matching_steps.h"

namespace fast::internal {

// Degree statistics of one side.
struct Degrees {
  int64_t non_empty = 0;  // vertices with an edge
  int64_t entries = 0;
  int64_t most = 0;  // the largest degree
};

// One look at both sides' offsets.
struct Look {
  Degrees rows;
  Degrees cols;  // all zero when the columns' adjacency was not given
  // An upper bound on the matching size: the rows with an edge, or the
  // columns with one (all columns without their adjacency), whichever is
  // fewer.
  int64_t bound = 0;
};

// `cols` may lack its adjacency (offsets null).
Look LookAt(const Adjacency& rows, const Adjacency& cols);

// Whether the searches' steps would miss the cache: the graph is larger
// than a core's cache holds (from 2^17 vertices PF+'s arrays pass the
// 2 MB of L2 here), and the numbering scatters neighbours over memory on
// either side, so that each step of a search waits for a chain of misses.
// Then several searches in flight wait for theirs together
// (Search::kPothenFanInterleaved), and the decomposition's component
// search asks for the next steps' data early. Where the numbering keeps
// neighbours near each other the misses are few, and the lanes' handing
// over costs more than it saves (the 1M banded problem as written: 0.017 s
// to 0.028). False without the columns' adjacency.
bool ScatteredInMemory(const Adjacency& rows, const Adjacency& cols);
// The same look at one side's lists alone (ScatteredInMemory's test of
// either side, whatever the graph's size).
bool NeighboursApart(const Adjacency& side);

// Whether a few hubs hold most of the side's entries: its largest degree
// is many times the average.
bool HasHubs(const Degrees& side);

// Whether the greedy start takes the side's vertices by increasing degree:
// when it has hubs and the largest alone holds a sizeable share of all
// entries (a power law), taken in index order the hubs seize the only
// partners of many vertices of degree one or two. Where hubs are milder
// (ks-hard), index order does as well for less.
bool GreedyByDegree(const Degrees& side);

// Whether `fewer` is clearly fewer than `more`: at most nine tenths of it,
// the margin at which the plan treats a side as the smaller one.
inline bool ClearlyFewer(int64_t fewer, int64_t more) { return 10 * fewer <= 9 * more; }

// Whether ChoosePlan() or the plan it makes from `options` needs the
// columns' adjacency.
bool NeedsColumnSide(const MatchingOptions& options);

// The search of an automatic plan after its Karp-Sipser start, which left
// `pairs` pairs: PF+ from both sides, or push-relabel when many vertices
// that have an edge are still free.
Search SearchAfterKarpSipser(const Look& look, int64_t pairs);

// Whether the smaller side has more than 8 entries a vertex on average:
// there Karp-Sipser's two scans of every matched pair's lists cost more
// than they save, and a greedy start misses few pairs. Then, when PF+ does
// not end within its budget after a greedy start and few vertices are
// left free, PF+ from both sides goes on from where PF+ stands instead of
// a restart with Karp-Sipser; and the greedy probe gives up once it reads
// more than two entries a column.
bool DenseGraph(const Look& look);

// How many passes over the adjacency PF+ may scan after the automatic
// plan's `start` before the solve starts over with Karp-Sipser.
int64_t PassesBeforeRestart(Initialisation start);

// The options with every kAuto field decided, from the look at `rows` and
// `cols`, which must include the columns' adjacency when
// NeedsColumnSide(options).
MatchingPlan ChoosePlan(const Look& look, const Adjacency& rows, const Adjacency& cols,
                        const MatchingOptions& options);

}  // namespace fast::internal
