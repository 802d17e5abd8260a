// matchflow._core: the fast solvers on numpy arrays. The Python layer
// (matchflow/_solvers.py) picks the dtypes; this layer checks every index,
// runs the solver with the GIL released and turns its results into arrays.
// Bad input raises ValueError, a problem beyond the memory budget or a
// failed allocation MemoryError, Ctrl-C during a solve KeyboardInterrupt.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/memory_budget.h"
#include "fastcore/dulmage_mendelsohn.h"
#include "fastcore/matching.h"
// The flow solver joins the library after the matching one; until then the
// module offers matching alone.
#if __has_include("fastcore/max_flow.h")
#define MATCHFLOW_HAS_FLOW 1
#include "fastcore/max_flow.h"
#endif

namespace py = pybind11;

namespace {

// C order: a strided array would be copied on the way in. The Python layer
// hands over the exact dtypes, so nothing else is converted here.
template <typename T>
using Array = py::array_t<T, py::array::c_style>;

[[noreturn]] void Refuse(const std::string& why) { throw std::invalid_argument(why); }

void CheckStatus(fast::Status status, const char* solver) {
  if (status == fast::Status::kOptimal) return;
  if (status == fast::Status::kOutOfMemory) throw std::bad_alloc();
  Refuse(std::string(solver) + " refused the input: " + std::string(fast::StatusMessage(status)));
}

// The most a call may need per vertex and per edge, counted before anything
// is allocated, as the programs' readers count theirs: a matching's
// compressed rows built from pairs (offsets and a cursor, 16 bytes a row),
// the solver's mates and working memory with its copy of the column side
// (about 40 bytes a vertex), and the results copied out (10 bytes a vertex);
// 8 bytes per edge for the targets of both sides. A flow's residual network
// and results, as fastflow counts them (more with capacities: 64-bit flow
// and residual capacities).
constexpr uint64_t kMatchingBytesPerVertex = 72;
constexpr uint64_t kMatchingBytesPerEdge = 8;
// A decomposition adds to a matching's: its row and column orders and
// block boundaries (16 bytes a vertex at most), the parts, queue and index
// (9), the gathered entry ranges or the square part's copy (16, and 4 an
// entry for the copy), the search's frames and waiting list (14) and its
// larger results (14): 69 bytes a vertex, taken as 72. Measured on
// 10M-entry problems: 73 bytes a vertex in all and 8 an edge at the most
// (the 2M + 2M grid and ks-hard problem).
constexpr uint64_t kDecompositionBytesPerVertex = kMatchingBytesPerVertex + 72;
constexpr uint64_t kDecompositionBytesPerEdge = kMatchingBytesPerEdge + 4;
constexpr uint64_t kFlowBytesPerNode = 64;
constexpr uint64_t kFlowBytesPerArc = 32;
constexpr uint64_t kFlowBytesPerCapacitatedArc = 48;

// Raises MemoryError, before anything is allocated, when `bytes` exceed
// the memory the machine or the process limits give. Holds the GIL.
void CheckAffordable(uint64_t bytes) {
  if (affordable(bytes)) return;
  const std::string why = "the problem needs about " + std::to_string(bytes >> 20) +
                          " MiB, more than the memory budget of " +
                          std::to_string(memoryBudget() >> 20) + " MiB";
  PyErr_SetString(PyExc_MemoryError, why.c_str());
  throw py::error_already_set();
}

// How often a waiting call looks for signals: Ctrl-C is answered within
// this and the solver's next phase boundary.
constexpr std::chrono::milliseconds kSignalLook(50);

// Runs `solve` (which touches no Python object) on a thread of its own,
// while this one waits with the GIL released, taking it back every
// kSignalLook to run the signal handlers. When one raises (Ctrl-C:
// KeyboardInterrupt), `cancel` is set, the solver stops at its next phase
// boundary, and the exception is raised here; else whatever `solve` threw.
template <typename Solve>
void SolveInterruptibly(std::atomic<bool>* cancel, Solve solve) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      solve();
    } catch (...) {
      failure = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    finished.notify_one();
  });
  bool interrupted = false;
  {
    py::gil_scoped_release release;
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, kSignalLook, [&] { return done; })) {
      if (interrupted) continue;
      lock.unlock();
      {
        py::gil_scoped_acquire acquire;
        interrupted = PyErr_CheckSignals() != 0;
      }
      if (interrupted) cancel->store(true);
      lock.lock();
    }
  }
  worker.join();
  if (interrupted) throw py::error_already_set();
  if (failure) std::rethrow_exception(failure);
}

int32_t CheckedCount(int64_t count, const char* what) {
  if (count < 0) Refuse(std::string(what) + " must not be negative, got " + std::to_string(count));
  if (count > std::numeric_limits<int32_t>::max())
    Refuse(std::string(what) + " " + std::to_string(count) + " exceeds 2147483647");
  return static_cast<int32_t>(count);
}

// Every id of `ids` lies in [0, bound); names the first that does not.
void CheckIds(const int32_t* ids, int64_t count, int32_t bound, const char* what) {
  for (int64_t i = 0; i < count; ++i) {
    if (static_cast<uint32_t>(ids[i]) >= static_cast<uint32_t>(bound))
      Refuse(std::string(what) + "[" + std::to_string(i) + "] = " + std::to_string(ids[i]) +
             " is out of range [0, " + std::to_string(bound) + ")");
  }
}

// Row offsets as the solver takes them: 64-bit (64-bit input is used in
// place), ending within the targets. That they start at 0 and never
// decrease the solver checks as it prepares, before it reads a target;
// CheckOrder() names where they do not once it has refused them (a pass
// of its own here cost a tenth of the structural rank of an ordered 10M
// grid, 2M rows).
class Offsets {
 public:
  template <typename Index>
  Offsets(const Index* indptr, int32_t rows, int64_t targets) : rows_(rows) {
    if constexpr (std::is_same_v<Index, int64_t>) {
      data_ = indptr;
    } else {
      copy_.assign(indptr, indptr + rows + 1);
      data_ = copy_.data();
    }
    if (data_[rows] > targets)
      Refuse("indptr ends at " + std::to_string(data_[rows]) + " but indices holds only " +
             std::to_string(targets) + " entries");
  }
  const int64_t* data() const { return data_; }

  void CheckOrder() const {
    if (data_[0] != 0) Refuse("indptr[0] = " + std::to_string(data_[0]) + ", must be 0");
    for (int32_t r = 0; r < rows_; ++r) {
      if (data_[r + 1] < data_[r])
        Refuse("indptr decreases at position " + std::to_string(r + 1) + ": " +
               std::to_string(data_[r]) + " then " + std::to_string(data_[r + 1]));
    }
  }

 private:
  int32_t rows_;
  std::vector<int64_t> copy_;
  const int64_t* data_ = nullptr;
};

template <typename T, typename Element>
py::array_t<T> ToArray(const std::vector<Element>& values) {
  static_assert(sizeof(T) == sizeof(Element));
  py::array_t<T> array(static_cast<py::ssize_t>(values.size()));
  if (!values.empty()) std::memcpy(array.mutable_data(), values.data(), values.size() * sizeof(T));
  return array;
}

// What a call computes: "matching", "cover" (the matching with a minimum
// vertex cover), "rank" (the matching's size alone) or "dm" (the
// Dulmage-Mendelsohn decomposition).
enum class Task { kMatching, kCover, kRank, kDecomposition };

Task TaskNamed(const std::string& name) {
  static const std::pair<const char*, Task> kTasks[] = {{"matching", Task::kMatching},
                                                        {"cover", Task::kCover},
                                                        {"rank", Task::kRank},
                                                        {"dm", Task::kDecomposition}};
  for (const auto& [task_name, task] : kTasks)
    if (name == task_name) return task;
  Refuse("unknown task '" + name + "'");
}

// What a call of `task` may need at the most, before anything is allocated.
uint64_t MatchingBytes(Task task, int64_t rows, int64_t cols, int64_t edges) {
  const bool dm = task == Task::kDecomposition;
  return (uint64_t(rows) + uint64_t(cols)) *
             (dm ? kDecompositionBytesPerVertex : kMatchingBytesPerVertex) +
         uint64_t(edges) * (dm ? kDecompositionBytesPerEdge : kMatchingBytesPerEdge);
}

// What the task fills in.
struct Solution {
  int64_t size = 0;
  std::vector<int32_t> row_mates, col_mates;
  std::vector<uint8_t> row_cover, col_cover;
  std::vector<int32_t> p, q, r, s;
  std::array<int32_t, 5> rr{}, cc{};
};

// Sets `*value` to the choice named `name` among `choices`; an empty name
// leaves the library's default.
template <typename Enum, size_t n>
void Choose(const std::string& name, const std::pair<const char*, Enum> (&choices)[n],
            const char* what, Enum* value) {
  if (name.empty()) return;
  std::string known;
  for (const auto& [choice_name, choice] : choices) {
    if (name == choice_name) {
      *value = choice;
      return;
    }
    known += std::string(known.empty() ? "'" : ", '") + choice_name + "'";
  }
  Refuse(std::string(what) + " must be one of " + known + ", got '" + name + "'");
}

// A count of threads, 0 (every processor) to 4096.
int CheckedThreads(int64_t threads) {
  constexpr int64_t kMostThreads = 4096;
  if (threads < 0 || threads > kMostThreads)
    Refuse("threads: " + std::to_string(threads) + " is out of range [0, 4096]");
  return static_cast<int>(threads);
}

fast::MatchingOptions MatchingOptions(const std::string& algorithm,
                                      const std::string& initialisation, int64_t threads) {
  static const std::pair<const char*, fast::Search> kSearches[] = {
      {"pothen-fan", fast::Search::kPothenFan},
      {"push-relabel", fast::Search::kPushRelabel},
      {"push-relabel-either-side", fast::Search::kPushRelabelEitherSide},
      {"pothen-fan-then-push-relabel", fast::Search::kPothenFanThenPushRelabel},
      {"pothen-fan-both-sides", fast::Search::kPothenFanBothSides},
      {"pothen-fan-interleaved", fast::Search::kPothenFanInterleaved},
      {"sweeps", fast::Search::kSweeps}};
  static const std::pair<const char*, fast::Initialisation> kStarts[] = {
      {"karp-sipser", fast::Initialisation::kKarpSipser},
      {"greedy", fast::Initialisation::kGreedy},
      {"degree-one-then-greedy", fast::Initialisation::kKarpSipserThenGreedy},
      {"degree-one", fast::Initialisation::kDegreeOne},
      {"none", fast::Initialisation::kNone}};
  fast::MatchingOptions options;
  Choose(algorithm, kSearches, "algorithm", &options.search);
  Choose(initialisation, kStarts, "initialisation", &options.initialisation);
  options.threads = CheckedThreads(threads);
  return options;
}

// `name_invalid` raises the precise message for ids the solver refused
// (none when the ids were checked on the way in).
Solution SolveMatching(const fast::BipartiteGraph& graph, fast::MatchingOptions options, Task task,
                       const std::atomic<bool>* cancel,
                       const std::function<void()>& name_invalid = nullptr) {
  options.cancel = cancel;
  const auto check = [&](fast::Status status, const char* solver) {
    if (status == fast::Status::kInvalidInput && name_invalid) name_invalid();
    CheckStatus(status, solver);
  };
  Solution solution;
  if (task == Task::kDecomposition) {
    fast::DulmageMendelsohn dm(graph, options);
    check(dm.Solve(), "the decomposition");
    solution.size = dm.structural_rank();
    solution.p = dm.row_order();
    solution.q = dm.col_order();
    solution.r = dm.row_blocks();
    solution.s = dm.col_blocks();
    solution.rr = dm.coarse_rows();
    solution.cc = dm.coarse_cols();
    return solution;
  }
  fast::MaximumMatching solver(graph, options);
  check(solver.Solve(), "the matching solver");
  solution.size = solver.size();
  if (task == Task::kRank) return solution;
  solution.row_mates = solver.row_mates();
  solution.col_mates = solver.col_mates();
  if (task == Task::kCover) solver.MinimumVertexCover(&solution.row_cover, &solution.col_cover);
  return solution;
}

// "matching" and "cover": (size, row mates, column mates, row cover, column
// cover), the covers None for "matching". "rank": (size,). "dm": (structural
// rank, p, q, r, s, rr, cc).
py::tuple SolutionTuple(Solution&& solution, Task task) {
  if (task == Task::kRank) return py::make_tuple(solution.size);
  if (task == Task::kDecomposition) {
    const std::vector<int32_t> rr(solution.rr.begin(), solution.rr.end());
    const std::vector<int32_t> cc(solution.cc.begin(), solution.cc.end());
    return py::make_tuple(solution.size, ToArray<int32_t>(solution.p), ToArray<int32_t>(solution.q),
                          ToArray<int32_t>(solution.r), ToArray<int32_t>(solution.s),
                          ToArray<int32_t>(rr), ToArray<int32_t>(cc));
  }
  py::object row_cover = py::none(), col_cover = py::none();
  if (task == Task::kCover) {
    row_cover = ToArray<bool>(solution.row_cover);
    col_cover = ToArray<bool>(solution.col_cover);
  }
  return py::make_tuple(solution.size, ToArray<int32_t>(solution.row_mates),
                        ToArray<int32_t>(solution.col_mates), row_cover, col_cover);
}

template <typename Index>
py::tuple MatchCompressed(const Array<Index>& indptr, const Array<int32_t>& indices, int64_t rows,
                          int64_t cols, const std::string& task_name, const std::string& algorithm,
                          const std::string& initialisation, int64_t threads) {
  const Task task = TaskNamed(task_name);
  const fast::MatchingOptions options = MatchingOptions(algorithm, initialisation, threads);
  fast::BipartiteGraph graph;
  graph.rows = CheckedCount(rows, "the number of rows");
  graph.cols = CheckedCount(cols, "the number of columns");
  if (indptr.ndim() != 1 || indptr.size() != rows + 1)
    Refuse("indptr must have " + std::to_string(rows + 1) + " entries, got " +
           std::to_string(indptr.size()));
  if (indices.ndim() != 1) Refuse("indices must be one-dimensional");
  CheckAffordable(MatchingBytes(task, graph.rows, graph.cols, indices.size()));
  Solution result;
  std::atomic<bool> cancel(false);
  SolveInterruptibly(&cancel, [&] {
    Offsets offsets(indptr.data(), graph.rows, indices.size());
    graph.offsets = offsets.data();
    graph.targets = indices.data();
    // The solver checks the offsets and every id as it prepares; the first
    // bad one is looked for only when it refuses them (a pass of its own
    // over every entry cost a tenth of a structural rank on a 10M-entry
    // band).
    result = SolveMatching(graph, options, task, &cancel, [&] {
      offsets.CheckOrder();
      CheckIds(graph.targets, graph.offsets[graph.rows], graph.cols, "indices");
    });
  });
  return SolutionTuple(std::move(result), task);
}

void CheckPair(int64_t id, int64_t i, int32_t bound, const char* what) {
  if (id < 0 || id >= bound)
    Refuse(std::string(what) + "[" + std::to_string(i) + "] = " + std::to_string(id) +
           " is out of range [0, " + std::to_string(bound) + ")");
}

// Compressed rows from (row, column) pairs by a counting sort; the order of
// the pairs within a row is kept.
void CompressPairs(const int64_t* rows, const int64_t* cols, int64_t pairs, int32_t row_count,
                   int32_t col_count, std::vector<int64_t>* offsets,
                   std::vector<int32_t>* targets) {
  for (int64_t i = 0; i < pairs; ++i) {
    CheckPair(rows[i], i, row_count, "rows");
    CheckPair(cols[i], i, col_count, "cols");
  }
  offsets->assign(static_cast<size_t>(row_count) + 1, 0);
  for (int64_t i = 0; i < pairs; ++i) ++(*offsets)[rows[i] + 1];
  for (int32_t r = 0; r < row_count; ++r) (*offsets)[r + 1] += (*offsets)[r];
  targets->resize(pairs);
  std::vector<int64_t> next(offsets->begin(), offsets->end() - 1);
  for (int64_t i = 0; i < pairs; ++i) (*targets)[next[rows[i]]++] = static_cast<int32_t>(cols[i]);
}

py::tuple MatchPairs(const Array<int64_t>& rows, const Array<int64_t>& cols, int64_t row_count,
                     int64_t col_count, const std::string& task_name, const std::string& algorithm,
                     const std::string& initialisation, int64_t threads) {
  const Task task = TaskNamed(task_name);
  const fast::MatchingOptions options = MatchingOptions(algorithm, initialisation, threads);
  fast::BipartiteGraph graph;
  graph.rows = CheckedCount(row_count, "the number of rows");
  graph.cols = CheckedCount(col_count, "the number of columns");
  if (rows.ndim() != 1 || cols.ndim() != 1 || rows.size() != cols.size())
    Refuse("rows and cols must be one-dimensional and of the same length");
  CheckAffordable(MatchingBytes(task, graph.rows, graph.cols, rows.size()));
  Solution result;
  std::atomic<bool> cancel(false);
  SolveInterruptibly(&cancel, [&] {
    std::vector<int64_t> offsets;
    std::vector<int32_t> targets;
    CompressPairs(rows.data(), cols.data(), rows.size(), graph.rows, graph.cols, &offsets,
                  &targets);
    graph.offsets = offsets.data();
    graph.targets = targets.data();
    result = SolveMatching(graph, options, task, &cancel);
  });
  return SolutionTuple(std::move(result), task);
}

#ifdef MATCHFLOW_HAS_FLOW
int32_t CheckedNode(int64_t node, int32_t nodes, const char* what) {
  if (node < 0 || node >= nodes)
    Refuse(std::string(what) + " " + std::to_string(node) + " is out of range [0, " +
           std::to_string(nodes) + ")");
  return static_cast<int32_t>(node);
}

// (value, flow per arc, source side per node). Without capacities every arc
// is one unit and the flow per arc is a bool array; with them (int64, one
// per arc) it is int64.
py::tuple MaxFlow(const Array<int32_t>& tails, const Array<int32_t>& heads, int64_t nodes,
                  int64_t source, int64_t sink, const std::string& algorithm,
                  const std::optional<Array<int64_t>>& capacities, int64_t threads) {
  fast::MaxFlowAlgorithm flow_algorithm = fast::MaxFlowAlgorithm::kAuto;
  if (!algorithm.empty() && !fast::ParseMaxFlowAlgorithm(algorithm, &flow_algorithm))
    Refuse("unknown flow algorithm '" + algorithm + "'");
  fast::FlowNetwork network;
  network.nodes = CheckedCount(nodes, "n");
  if (tails.ndim() != 1 || heads.ndim() != 1 || tails.size() != heads.size())
    Refuse("tails and heads must be one-dimensional and of the same length");
  if (capacities && (capacities->ndim() != 1 || capacities->size() != tails.size()))
    Refuse("capacities must be one-dimensional, one per arc");
  network.source = CheckedNode(source, network.nodes, "source");
  network.sink = CheckedNode(sink, network.nodes, "sink");
  network.arcs = tails.size();
  network.tails = tails.data();
  network.heads = heads.data();
  network.capacities = capacities ? capacities->data() : nullptr;
  CheckAffordable(uint64_t(network.nodes) * kFlowBytesPerNode +
                  uint64_t(network.arcs) *
                      (capacities ? kFlowBytesPerCapacitatedArc : kFlowBytesPerArc));
  int64_t value = 0;
  std::vector<int64_t> flow;
  std::vector<uint8_t> source_side;
  std::atomic<bool> cancel(false);
  SolveInterruptibly(&cancel, [&] {
    fast::MaxFlow solver(network, flow_algorithm, &cancel);
    solver.SetThreads(CheckedThreads(threads), fast::MatchingOptions{}.parallel_min_entries);
    const fast::Status status = solver.Solve();
    // The solver checks every arc as it prepares; the first bad one is
    // looked for only when it refuses them.
    if (status == fast::Status::kInvalidInput) {
      CheckIds(network.tails, network.arcs, network.nodes, "tails");
      CheckIds(network.heads, network.arcs, network.nodes, "heads");
      for (int64_t i = 0; capacities && i < network.arcs; ++i)
        if (network.capacities[i] < 0 || network.capacities[i] > fast::kMaxCapacity)
          Refuse("capacities[" + std::to_string(i) +
                 "] = " + std::to_string(network.capacities[i]) + " is out of range [0, 2**62]");
    }
    CheckStatus(status, "the flow solver");
    value = solver.value();
    flow = solver.arc_flow();
    source_side = solver.source_side();
  });
  py::object flows =
      capacities ? py::object(ToArray<int64_t>(flow))
                 : py::object(ToArray<bool>(std::vector<uint8_t>(flow.begin(), flow.end())));
  return py::make_tuple(value, flows, ToArray<bool>(source_side));
}

#endif  // MATCHFLOW_HAS_FLOW

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "The fast matching and max-flow solvers; use the functions of matchflow.";
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
      PyErr_SetString(PyExc_MemoryError, "not enough memory to solve this problem");
    }
  });
  m.def("match_compressed", &MatchCompressed<int32_t>);
  m.def("match_compressed", &MatchCompressed<int64_t>);
  m.def("match_pairs", &MatchPairs);
#ifdef MATCHFLOW_HAS_FLOW
  m.def("max_flow", &MaxFlow);
#endif
}
