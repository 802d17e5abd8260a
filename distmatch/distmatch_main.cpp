// distmatch: maximum-cardinality bipartite matching on a cluster. Every rank
// reads its part of the problem file, the Combinatorial BLAS matches the
// distributed graph, rank 0 prints the report line, and with -w every rank
// writes its part of the matching.
#include <mpi.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "combblas_matching.h"
#include "distributed_input.h"
#include "fileio/output_paths.h"
#include "launch.h"
#include "matching_file.h"
#include "run_limits.h"

namespace {

constexpr const char* kUsage =
    "usage: distmatch [-np RANKS] [-w MATCHING_FILE] [PROBLEM_FILE]\n"
    "  Under mpirun, every rank reads its part of PROBLEM_FILE (which must be\n"
    "  on a file system all ranks share). Started on its own, distmatch runs\n"
    "  mpirun with RANKS ranks (default 1) itself, and reads the problem from\n"
    "  PROBLEM_FILE or from standard input redirected from a file.\n"
    "  RANKS must be a square: 1, 4, 9, 16, ..., and no more than the problem and\n"
    "  the machine can use.\n"
    "  MATCHING_FILE is written whole, through a temporary file beside it that\n"
    "  keeps its permissions (a device, FIFO or socket is written in place); one\n"
    "  that is the problem file or the standard output is refused.\n";

struct Options {
  int ranks = 0;  // 0: not given
  std::string matchingFile;
  std::string problem;
  std::string error;  // a usage error
};

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc && options.error.empty(); ++i) {
    std::string word = argv[i];
    bool hasValue = i + 1 < argc;
    if (word == "-np" && hasValue) {
      char* end;
      long ranks = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || ranks < 1 || ranks > 1 << 20) options.error = "bad rank count";
      options.ranks = int(ranks);
    } else if (word == "-w" && hasValue) {
      options.matchingFile = argv[++i];
    } else if (word.size() > 1 && word[0] == '-') {
      options.error = "unknown option or missing value: " + word;
    } else if (options.problem.empty()) {
      options.problem = word;
    } else {
      options.error = "more than one problem file";
    }
  }
  return options;
}

std::string squareMessage(int ranks) {
  return "CombBLAS needs a square number of ranks (1, 4, 9, 16, ...), not " + std::to_string(ranks);
}

// "" when -w may be written: it is neither the problem file, nor standard
// input or output, and can be written at all.
std::string refusedOutput(const Options& options, bool readsStandardInput) {
  fileio::RunFiles files{
      readsStandardInput, true, {options.problem}, {{"-w", options.matchingFile}}};
  std::optional<fileio::Refusal> refusal = fileio::CheckOutputs(files);
  return refusal ? refusal->message : "";
}

// Run on its own: checks what can be checked here and hands over to mpirun.
int launch(Options options) {
  if (options.ranks == 0) options.ranks = 1;
  std::string error;
  if (!isSquare(options.ranks)) error = squareMessage(options.ranks);
  bool readsStandardInput = options.problem.empty();
  if (readsStandardInput) options.problem = standardInputPath();
  if (error.empty() && options.problem.empty())
    error =
        "the ranks read their parts of a file: give the problem file's name, or redirect "
        "standard input from the file";
  if (error.empty()) error = refusedOutput(options, readsStandardInput);
  ProblemHeader header;
  bool known = error.empty() && readProblemHeader(options.problem, header);
  if (error.empty()) error = refusedRankCount(options.ranks, known ? &header : nullptr);
  if (error.empty()) {
    std::vector<std::string> arguments;
    if (!options.matchingFile.empty()) arguments = {"-w", options.matchingFile};
    arguments.push_back(options.problem);
    error = relaunch(options.ranks, arguments);
  }
  std::fprintf(stderr, "distmatch: %s\n", error.c_str());
  return 1;
}

class Run {
 public:
  explicit Run(const Options& options) : options(options) {
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
  }
  int solve();

 private:
  // A fault of the run itself (not of the input), on standard error.
  int refuse(const std::string& message) {
    if (rank == 0) std::fprintf(stderr, "distmatch: %s\n", message.c_str());
    return 1;
  }
  // Capacity warnings and the reader's message, as the other matching
  // programs print them.
  int rejectInput(const InputOutcome& input) {
    if (input.unreadable) return refuse(input.message);
    if (rank == 0) std::fputs(input.message.c_str(), stdout);
    return 1;
  }
  void printWarnings(int64_t count) {
    if (rank != 0) return;
    for (int64_t i = 0; i < count; ++i) std::fputs("Warning Upper Bound changed to 1\n", stdout);
  }

  // Rank 0's `ok` on every rank.
  bool agreed(bool ok) const {
    int value = ok;
    MPI_Bcast(&value, 1, MPI_INT, 0, MPI_COMM_WORLD);
    return value;
  }

  const Options& options;
  int rank = 0, ranks = 1;
};

int Run::solve() {
  if (!options.error.empty()) return refuse(options.error + "\n" + kUsage);
  if (!isSquare(ranks)) return refuse(squareMessage(ranks));
  if (options.ranks != 0 && options.ranks != ranks)
    return refuse("-np " + std::to_string(options.ranks) + " but mpirun started " +
                  std::to_string(ranks) + " ranks");
  if (options.problem.empty()) return refuse("no problem file: the ranks read their parts of it");
  std::string refusal = rank == 0 ? refusedOutput(options, false) : "";
  if (!agreed(refusal.empty())) return refuse(refusal);
  LocalGraph graph;
  InputOutcome input = readDistributed(options.problem, MPI_COMM_WORLD, graph);
  printWarnings(input.warnings);
  if (!input.ok) return rejectInput(input);
  std::optional<MatchingFile> file;
  std::string error;
  if (!options.matchingFile.empty()) {
    file.emplace(options.matchingFile, MPI_COMM_WORLD);
    if (!file->create(error)) return refuse(error);
  }
  DistributedMatching matching = matchDistributed(graph);
  if (file && !file->write(graph, matching, error)) return refuse(error);
  if (rank == 0)
    std::printf("%8lld %8lld %8lld %8lld %8lld %11.2f\n", static_cast<long long>(graph.reportNodes),
                static_cast<long long>(graph.reportEdges), static_cast<long long>(matching.size),
                static_cast<long long>(matching.initialPairs),
                static_cast<long long>(matching.phases), matching.seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parseOptions(argc, argv);
  if (!startedByLauncher()) {
    if (!options.error.empty()) {
      std::fprintf(stderr, "distmatch: %s\n%s", options.error.c_str(), kUsage);
      return 1;
    }
    return launch(options);
  }
  settleRuntime();
  int provided;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_SERIALIZED, &provided);
  int status = Run(options).solve();
  std::fflush(stdout);
  MPI_Finalize();
  return status;
}
