// Maximum-cardinality matching in bipartite graphs given as compressed rows.
//
//     fast::BipartiteGraph graph{rows, cols, offsets.data(), targets.data()};
//     fast::MaximumMatching matching(graph);
//     if (matching.Solve() != fast::Status::kOptimal) ...
//     matching.size(); matching.row_mates(); matching.MinimumVertexCover(&r, &c);
//
// The solver has no global state: two objects may solve on two threads at
// once. Nothing here prints, throws or ends the process; errors are values.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "status.h"

namespace fast {

namespace internal {
struct Adjacency;
struct Look;
struct Mates;
struct Workspace;
}  // namespace internal

// Compressed rows: the columns adjacent to row r are
// targets[offsets[r]] ... targets[offsets[r+1]-1], each in [0, cols).
// Parallel entries are allowed. Ids are 0-based.
//
// The column side may be given too (col_offsets: cols + 1 entries,
// col_targets: rows adjacent to each column). It must list the same edges
// as the rows; the solver then uses it instead of building its own copy.
// Inconsistent column arrays give a wrong answer, never a crash.
struct BipartiteGraph {
  int32_t rows = 0;
  int32_t cols = 0;
  const int64_t* offsets = nullptr;
  const int32_t* targets = nullptr;
  const int64_t* col_offsets = nullptr;
  const int32_t* col_targets = nullptr;
};

// How the first matching is built before the augmenting search.
enum class Initialisation {
  // Chosen by a look at the graph (fastcore/strategy.h).
  kAuto,
  kNone,
  // Each row takes its first free column, rows in order.
  kGreedy,
  // Karp-Sipser: a vertex with one free neighbour left is matched to it
  // first; when none is left, a free row takes its first free column.
  kKarpSipser,
  // Karp-Sipser's degree-one rule until no vertex with one free neighbour
  // is left, then each free row takes its first free column, degrees no
  // longer kept. On one thread whatever the team.
  kKarpSipserThenGreedy,
  // Karp-Sipser's degree-one rule alone; the search's first phase then
  // does a greedy start's work, searching at once from each vertex whose
  // neighbours are all taken. On one thread whatever the team.
  kDegreeOne,
};

// How the first matching is grown to a maximum one.
enum class Search {
  // Chosen by a look at the graph (fastcore/strategy.h).
  kAuto,
  // Pothen-Fan PF+: phases of depth-first searches from every free row with
  // shared visited marks, a look-ahead for a free column at every row, and
  // the scan direction alternating between phases.
  kPothenFan,
  // Push-relabel: free rows taken first-in-first-out, each taking its
  // lowest-labelled column (a double push), with periodic global
  // relabelling, gap relabelling, and the scan direction alternating
  // between global relabellings.
  kPushRelabel,
  // Push-relabel from the starting side when at most half its free
  // vertices may still be matched, else from the other side when at most
  // half of its own may, else from the starting side: where many vertices
  // stay free on both sides, the hopeless free vertices of one side may
  // keep pushing until a global relabelling, those of the other side be
  // found dead at once.
  kPushRelabelEitherSide,
  // PF+ while it is cheap: once its scans pass the number of edges plus
  // vertices, push-relabel finishes from the matching PF+ has reached.
  kPothenFanThenPushRelabel,
  // PF+ from both sides in turn, the starting side first, each for a budget
  // of scanned entries that doubles every round, until one side proves the
  // matching maximum: on a deficient graph the failed searches of one side
  // may explore nearly all of it, those of the other side little.
  kPothenFanBothSides,
  // PF+ as kPothenFan, with eight searches in flight at once on one
  // thread: each hands over to the next while the data of the row it
  // entered is fetched, so that their cache misses are waited for
  // together. For graphs whose numbering scatters neighbours over memory.
  kPothenFanInterleaved,
  // Augmenting paths from the other side's free vertices, grown as
  // alternating trees by sweeps over the starting side's lists in order
  // until a sweep changes nothing: it reads the starting side's lists
  // alone. For a caller without the columns' lists where the columns are
  // the fewer side: most rows stay free, and a search from them would
  // fail from nearly every one.
  kSweeps,
};

// The side whose free vertices the initialisation and the search start
// from; the other side's vertices are the ones they look for.
enum class Side {
  // Chosen by a look at the graph (fastcore/strategy.h).
  kAuto,
  kRows,
  kColumns,
};

// The names of the choices, as fastmatch's -a option writes them: "none",
// "greedy", "ks", "ks-greedy", "ks-one"; "pf", "pr", "pr-either", "pf-pr", "pf-both",
// "pf-interleaved", "sweeps"; "first", "second"; and "auto" for kAuto.
const char* NameOf(Initialisation start);
const char* NameOf(Search search);
const char* NameOf(Side side);
// The choice of that name, kAuto excluded; false when no choice has it.
bool FromName(const std::string& name, Initialisation* start);
bool FromName(const std::string& name, Search* search);
bool FromName(const std::string& name, Side* side);

// Every kAuto field is decided by one look at the degrees of both sides;
// a field set to anything else is kept as given.
struct MatchingOptions {
  Initialisation initialisation = Initialisation::kAuto;
  Search search = Search::kAuto;
  Side side = Side::kAuto;
  // Push-relabel: a global relabelling after this many pushes per vertex.
  double global_relabel_factor = 1.0;
  // The threads the solve may run on: 1 solves on the calling thread
  // alone, 0 on every processor the process may run on (its affinity
  // mask). On more than one thread the solve finds a maximum matching as
  // well, though not the same pairs, and its counters vary from run to run;
  // a graph of fewer adjacency entries than parallel_min_entries is still
  // solved on one thread, where threads would cost more than they save.
  int threads = 1;
  int64_t parallel_min_entries = int64_t{1} << 20;
  // False skips Solve()'s O(edges) check of the arrays, for callers that
  // built them and know them valid (offsets from 0, never decreasing, every
  // target in range, the column side consistent with the rows). Invalid
  // arrays then give undefined behaviour instead of kInvalidInput.
  bool check_input = true;
  // Cancellation: while it is set, Solve() stops at its next phase boundary
  // (between the initialisation and the search, between PF+ phases,
  // at push-relabel's global relabellings: a few times a second on large
  // graphs, and nothing is added to the inner loops) and returns
  // Status::kCancelled. Set it from any thread or from a signal handler;
  // null (the default) never cancels. The flag must outlive Solve().
  const std::atomic<bool>* cancel = nullptr;
};

// What a Solve() did.
struct MatchingCounters {
  int64_t initial_pairs = 0;  // pairs the initialisation matched
  int64_t arc_scans = 0;      // adjacency entries read, initialisation and search
  int64_t phases = 0;         // PF+ phases, or push-relabel global relabellings
};

// What Solve() ran: the options with every kAuto resolved.
struct MatchingPlan {
  Initialisation initialisation = Initialisation::kKarpSipser;
  Search search = Search::kPothenFan;
  Side side = Side::kRows;
  // Automatic plans only. A greedy probe from the columns comes first and
  // ends the solve when it matches every vertex it can (greedy_probe); PF+
  // stops after one pass over the adjacency (four after
  // kKarpSipserThenGreedy), and the solve starts over with Karp-Sipser from
  // restart_side and PF+ from both sides (kAuto: no restart), or on a
  // dense graph goes on with PF+ from both sides from where it stands.
  bool greedy_probe = false;
  Side restart_side = Side::kAuto;
  // The threads the steps ran on (options.threads resolved; 1 for a small
  // graph). Push-relabel runs on one thread whatever this says.
  int threads = 1;
};

class MaximumMatching {
 public:
  // Does not copy the graph: its arrays must outlive the object.
  explicit MaximumMatching(const BipartiteGraph& graph, const MatchingOptions& options = {});
  ~MaximumMatching();

  // Checks the arrays (unless options.check_input is false), allocates
  // the working memory, touching every page of it (push-relabel's only
  // when a search uses it), builds the columns' lists when the plan needs
  // them and the caller gave none, and starts the threads of a parallel
  // solve, so that Solve() spends its time on the matching alone and
  // allocates nothing; Solve() calls it when the caller has not. (An automatic plan
  // without a column side touches only what its try from the rows needs:
  // the rest, and the column side itself, come in Solve() where that try
  // does not finish.) Returns kInvalidInput
  // when the arrays are inconsistent (offsets not monotone, a target out of
  // range) or options.threads is negative, kOutOfMemory when the memory
  // cannot be had. When the system refuses threads, the solve runs on one.
  Status Prepare();

  // Computes a maximum matching. Call once. Returns what Prepare() returns
  // when it fails, else kOptimal.
  Status Solve();

  // Matched pairs after an optimal Solve().
  int64_t size() const { return size_; }
  // rows entries: the column matched to each row, -1 when free.
  const std::vector<int32_t>& row_mates() const { return row_mates_; }
  // cols entries: the row matched to each column, -1 when free.
  const std::vector<int32_t>& col_mates() const { return col_mates_; }
  const MatchingCounters& counters() const { return counters_; }
  // After Solve(): the side, initialisation and search it ran.
  const MatchingPlan& plan() const { return plan_; }

  // After an optimal Solve(): a minimum vertex cover of size() vertices
  // (Koenig): the rows that no alternating path from a free row reaches,
  // and the columns that one does.
  void MinimumVertexCover(std::vector<uint8_t>* row_in_cover,
                          std::vector<uint8_t>* col_in_cover) const;

  // Proves an optimal result: the mates are consistent and every pair is an
  // edge, and the cover covers every edge with size() vertices.
  bool CheckResult() const;

 private:
  // The decomposition reads what the last search proved
  // (internal::SearchMemory::proof_start) instead of searching again.
  friend class DulmageMendelsohn;

  // Starts the team of a parallel solve when the options and the graph's
  // size ask for one.
  void StartTeam();
  void SolveValid();
  bool DiagonalFirst(const internal::Adjacency& cols, int threads);
  bool GreedyProbe(const internal::Adjacency& cols, int64_t misses, int64_t scans_per_column);
  // Whether the solve tries the rows alone first (rows_alone.cpp): the
  // plan is automatic and the caller gave no column side.
  bool FromRowsAloneFirst() const;
  // That try: true when it found a maximum matching, false with every
  // vertex free again and the working memory unfolded for the full plan.
  bool SolveFromRowsAlone(const internal::Adjacency& rows);
  void Initialise(const internal::Adjacency& rows, const internal::Adjacency& cols,
                  const internal::Look& look);
  internal::Mates Mates();
  bool Grow(const internal::Adjacency& rows, const internal::Adjacency& cols, int64_t budget,
            bool spare_dead_trees = false);
  // The column side's adjacency, the caller's or built on first use.
  internal::Adjacency ColumnSide();

  BipartiteGraph graph_;
  MatchingOptions options_;
  // The matched pairs, counted as the steps make them.
  int64_t size_ = 0;
  // Invariant: row_mates_[r] == c exactly when col_mates_[c] == r (once a
  // solve is over; Karp-Sipser keeps degrees in the free slots meanwhile).
  std::vector<int32_t> row_mates_;
  std::vector<int32_t> col_mates_;
  MatchingCounters counters_;
  MatchingPlan plan_;
  // The steps' working memory, from Prepare() on.
  std::unique_ptr<internal::Workspace> work_;
  // The column side: the caller's, or a transpose built by Solve().
  std::vector<int64_t> own_col_offsets_;
  std::vector<int32_t> own_col_targets_;
};

}  // namespace fast
