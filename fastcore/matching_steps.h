// The steps a MaximumMatching runs: an initialisation that builds a first
// matching, and a search that grows it to a maximum one. Each works on the
// mates in place and adds what it did to the counters.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cancel_poll.h"
#include "matching.h"
#include "team.h"

namespace fast::internal {

// A bitmap of one bit per vertex, 64 to a word (Workspace::taken and the
// sweeps' marks).
inline bool Marked(const uint64_t* bits, int32_t v) { return (bits[v >> 6] >> (v & 63)) & 1; }
inline void Mark(uint64_t* bits, int32_t v) { bits[v >> 6] |= uint64_t{1} << (v & 63); }
inline void Unmark(uint64_t* bits, int32_t v) { bits[v >> 6] &= ~(uint64_t{1} << (v & 63)); }

// One side's adjacency: the neighbours of vertex v are
// targets[offsets[v]] ... targets[offsets[v+1]-1].
struct Adjacency {
  int32_t count = 0;
  const int64_t* offsets = nullptr;
  const int32_t* targets = nullptr;
  int64_t begin(int32_t v) const { return offsets[v]; }
  int64_t end(int32_t v) const { return offsets[v + 1]; }
};

// One pass over the graph whose rows are `rows`: each entry and each
// vertex of both sides once, the unit the searches' budgets count in.
inline int64_t OnePass(const Adjacency& rows, int32_t cols) {
  return rows.end(rows.count - 1) + rows.count + cols;
}

// Both sides' mates, -1 for a free vertex. row[r] == c exactly when col[c] == r;
// *pairs counts the matched pairs, kept by every step that changes them.
struct Mates {
  int32_t* row;
  int32_t* col;
  int64_t* pairs;
};

// PF+'s memory for searches from one side.
struct SearchMemory {
  // Per vertex of the side: the entries before it lead to matched vertices.
  std::vector<int64_t> lookahead;
  // Per vertex of the other side: the search that entered it last, or dead.
  std::vector<int32_t> visited;
  // Once a run of PF+ on one thread from this side has proved the matching
  // maximum: the first search of its last phase, which augmented nothing
  // and so entered every vertex of the other side that alternating paths
  // from this side's free vertices reach and that was not dead already.
  // Those vertices are exactly the ones marked kDead or at least
  // proof_start (INT32_MAX when no free vertex was left to search from:
  // none had an edge, or every one was hopeless, its neighbours dead). 0
  // otherwise.
  int32_t proof_start = 0;
};

// Push-relabel's arrays, for a search from either side: reserved for the
// larger side before a solve, filled by the search that uses them.
struct PushRelabelMemory {
  std::vector<int32_t> label;         // per vertex of the other side
  std::vector<uint32_t> labelled_in;  // per vertex of the other side
  std::vector<int32_t> columns_at;    // per label, twice the other side + 2
  std::vector<int32_t> queue;         // the side + 1
  std::vector<int32_t> bfs;           // the other side
  std::vector<uint8_t> live;          // per vertex of the side
};

// The meeting searches' memory (meeting_searches.cpp), for the side they
// call the rows.
struct MeetingMemory {
  // Per row, valid where the stamp is the current round's: reached forward
  // from the row `parent` (-1 for a free row), and backward, able to take
  // the column `target`.
  struct Marks {
    int32_t forward = 0;
    int32_t parent = -1;
    int32_t backward = 0;
    int32_t target = -1;
  };
  // Sized for the larger side before the solve where the workspace is
  // unfolded at once: clearing and first touching 16 bytes a vertex when
  // the searches start cost the 1M uniform problem 1.3 ms of its 31 ms
  // solve. After a failed try from the rows alone, which most plans
  // follow without these searches, they size them when they run.
  std::vector<Marks> marks;
  // The last round of any search on these marks: the stamps only grow
  // (the marks are cleared when they would run out), so an earlier round's
  // mark never reads as the current one's.
  int32_t stamp = 0;
  std::vector<int32_t> forward;    // the rows the forward search reached, in order
  std::vector<int32_t> backward;   // the columns the backward search freed, in order
  std::vector<int32_t> free_rows;  // with an edge, those matched since dropped each round
  std::vector<int32_t> free_cols;
};

// The sweeps' memory (sweep_search.cpp), per vertex of the side they
// search for: reserved before a solve, touched when they run.
struct SweepMemory {
  std::vector<int32_t> tree;        // the root of the vertex's tree, or -1
  std::vector<int32_t> parent;      // the vertex whose neighbour brought it in; -1 for a root
  std::vector<uint64_t> augmented;  // a bit per vertex: a root whose tree has augmented
};

// Working memory of the steps, allocated and first touched before a solve
// starts, so that the solve itself allocates nothing (but PF+'s list of
// free roots and its search paths, and the entered columns of its searches
// in flight but the first, which grow on demand).
struct Workspace {
  // Karp-Sipser: the degree-one stack; a vertex is pushed at most once.
  // A greedy start by degree keeps its order of the vertices here.
  std::vector<int32_t> degree_one;
  // Karp-Sipser on one thread: both sides' list positions in 32 bits,
  // rows' (rows + 1) then columns' (columns + 1).
  std::vector<uint32_t> narrow_offsets;
  // Greedy start: a bit per vertex of the larger side, set once it is
  // matched; small enough to stay in cache, where reading the mates would
  // miss it at nearly every entry.
  std::vector<uint64_t> taken;
  SearchMemory from_rows;
  SearchMemory from_cols;
  // Its lists reserved only: their pages are touched when the meeting
  // searches run (the marks: above).
  MeetingMemory meeting;
  // PF+: the vertices the current search entered, while it may yet prove
  // them dead; one side's count at most.
  std::vector<int32_t> entered;
  // Reserved only: pages are touched when a push-relabel search runs.
  PushRelabelMemory push_relabel;
  // Reserved only, as above.
  SweepMemory sweeps;
  // The caller's cancel flag: the searches poll it at their phase
  // boundaries and, once it is seen, return as if done.
  CancelPoll cancel;
  // The threads of a parallel solve; null for a solve on one thread. The
  // steps run on it when it is there. The degree-one stack is then shared
  // out among its members.
  std::unique_ptr<Team> team;

  // Has the memory of every array. With `unfold` false it sizes (and so
  // touches) `taken` alone, and the others wait for the Unfold calls: on a
  // large graph the first touch of fresh pages may cost more than a solve
  // that needs few of them. None of them allocates.
  Workspace(int32_t rows, int32_t cols, const std::atomic<bool>* cancel_flag, bool unfold = true);
  // Sizes degree_one, for a greedy start by degree.
  void UnfoldOrder();
  // Sizes from_rows, for PF+ from the rows.
  void UnfoldRows();
  // Sizes every array but the meeting searches' marks.
  void Unfold();

 private:
  int32_t rows_;
  int32_t cols_;
};

// The order in which the greedy start takes the rows.
enum class GreedyOrder {
  kIndex,
  // Increasing degree: where a few hubs hold many of the edges, a row with
  // one or two neighbours takes its column before a hub, which has other
  // choices, can.
  kByDegree,
};

// Greedy start, on mates that are all free: each row takes its first free
// column. With `misses` >= 0 it gives up, returning false, once more
// vertices with an edge than that found no free neighbour, and with
// `scans_per_row` > 0 once the rows taken so far have read more than that
// many entries each, beyond a grace of a few lists; true otherwise.
// `work->taken` must hold a bit for each of the `cols` columns, and
// kByDegree uses `work->degree_one` for the order. With `forgiven`, on one
// thread, a row that finds every column of its list taken while so few
// columns are taken that a random list as long would almost never be
// (a chance below one in a million) does not count against `misses`, and
// *forgiven counts such rows: most likely their lists lie in a part with
// fewer columns than rows (a deficient block), whose surplus rows every
// maximum matching leaves free too (an ordered band's rows miss so as
// well, and PF+ matches them after).
bool GreedyMatch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                 Workspace* work, GreedyOrder order = GreedyOrder::kIndex, int64_t misses = -1,
                 int64_t scans_per_row = 0, int64_t* forgiven = nullptr);
// On mates that are all free: when row i lists column i for every i below
// the smaller side's count (the diagonal of a square matrix free of zeros),
// pairs each such row with that column, a matching as large as the smaller
// side and so maximum, and returns true; else changes nothing and returns
// false, having read the rows' lists up to the first without its column.
bool DiagonalMatch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters);
// Karp-Sipser (karp_sipser.h), on work->team when there is one; `most` is
// the largest degree of either side.
void KarpSipserMatch(const Adjacency& rows, const Adjacency& cols, int64_t most, Mates mates,
                     MatchingCounters* counters, Workspace* work);
// Karp-Sipser's degree-one rule from the vertices of degree one until none
// is left, then a greedy start from the rows on what is free, on one
// thread (Initialisation::kKarpSipserThenGreedy).
void KarpSipserThenGreedyMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                               MatchingCounters* counters, Workspace* work);
// Karp-Sipser's degree-one rule alone, on one thread
// (Initialisation::kDegreeOne); `most` as above.
void DegreeOneMatch(const Adjacency& rows, const Adjacency& cols, int64_t most, Mates mates,
                    MatchingCounters* counters, Workspace* work);
// Karp-Sipser on work->team (parallel_karp_sipser.cpp).
void ParallelKarpSipserMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                             MatchingCounters* counters, Workspace* work);

// PF+ from the free vertices of `rows`, with `memory` of that side. False
// when it stopped at the budget of scanned entries (negative: none) with
// the matching not yet proved maximum; with `spare_dead_trees` (on one
// thread) the searches that prove trees dead do not count against it. A
// search cancelled (work->cancel) returns true, as do the others below:
// the solve is over either way.
bool PothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                     SearchMemory* memory, Workspace* work, int64_t budget = -1,
                     bool spare_dead_trees = false);

// PF+ as above with several searches in flight at once on one thread,
// each handing over to the next while the data of the row it entered is
// fetched (Search::kPothenFanInterleaved).
bool InterleavedPothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates,
                                MatchingCounters* counters, SearchMemory* memory, Workspace* work,
                                int64_t budget = -1, bool spare_dead_trees = false);

// PF+ from both sides in turn, `rows` first, with doubling budgets, until
// one side proves the matching maximum.
void PothenFanBothSides(const Adjacency& rows, const Adjacency& cols, Mates mates,
                        MatchingCounters* counters, SearchMemory* rows_memory,
                        SearchMemory* cols_memory, Workspace* work);

// Where few vertices are free: augmenting paths one at a time, each by a
// breadth-first search from the free rows and one from the free columns
// that meet, until one of them runs out and so proves the matching
// maximum; true then. False, having changed nothing, where many are free;
// false too, the matching valid but not proved maximum, once its rounds
// have read more than `budget` entries.
bool MeetingSearch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                   MatchingCounters* counters, MeetingMemory* memory, CancelPoll* cancel,
                   int64_t budget);

// PF+ on work->team (parallel_pothen_fan.cpp).
bool ParallelPothenFanSearch(const Adjacency& rows, int32_t cols, Mates mates,
                             MatchingCounters* counters, SearchMemory* memory, Workspace* work,
                             int64_t budget);
void ParallelPothenFanBothSides(const Adjacency& rows, const Adjacency& cols, Mates mates,
                                MatchingCounters* counters, SearchMemory* rows_memory,
                                SearchMemory* cols_memory, Workspace* work);

void PushRelabelSearch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                       double global_relabel_factor, MatchingCounters* counters, Workspace* work);
// Push-relabel from the rows when at most half their free vertices with an
// edge lie on an alternating path to a free column; else from the columns
// when at most half of theirs lie on one to a free row; else from the rows.
void PushRelabelEitherSide(const Adjacency& rows, const Adjacency& cols, Mates mates,
                           double global_relabel_factor, MatchingCounters* counters,
                           Workspace* work);

// Search::kSweeps from the free vertices of the other side, reading only
// the lists of `rows` (sweep_search.cpp): sweeps over every list in order
// until one changes nothing, which proves the matching maximum; true then
// (or once cancelled). False, the matching valid but not proved maximum,
// where they have read `budget` entries (negative: no limit) before a
// sweep: a budget of 1 allows one. Uses work->taken and work->sweeps, on
// one thread.
bool SweepSearch(const Adjacency& rows, int32_t cols, Mates mates, MatchingCounters* counters,
                 Workspace* work, int64_t budget = -1);

// Whether the arrays keep BipartiteGraph's contract: offsets from 0, never
// decreasing, every target in range, a column side that lists as many
// entries as the rows.
bool ValidGraph(const BipartiteGraph& graph);

// The columns' adjacency of `rows` by a counting pass and a scatter.
void Transpose(const Adjacency& rows, int32_t cols, std::vector<int64_t>* offsets,
               std::vector<int32_t>* targets);

// Alternating breadth-first search from the free vertices of `side`, whose
// mates are side_mates (other_mates those of the other side): a reached
// vertex of `side` reaches its neighbours, a reached neighbour its mate.
// Sets `label` in side_marks and other_marks for every vertex it reaches;
// a mark other than 0 counts as reached already, but every free vertex of
// `side` is searched from (no alternating path from the other side's free
// vertices reaches one under a maximum matching). `queue` has room for
// side.count vertices. Under a maximum matching every reached neighbour is
// matched: the reached vertices of `side` are the ones some maximum
// matching leaves free, and the reached neighbours the ones every maximum
// matching matches to one of those (Koenig's cover takes them).
struct Reached {
  int32_t side = 0;   // vertices of `side` it marked
  int32_t other = 0;  // vertices of the other side it marked
};
Reached AlternatingReach(const Adjacency& side, const int32_t* side_mates,
                         const int32_t* other_mates, uint8_t label, uint8_t* side_marks,
                         uint8_t* other_marks, int32_t* queue);

}  // namespace fast::internal
