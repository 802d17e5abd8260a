// fastmatch: reads a matching problem from standard input, computes a
// maximum matching (and with -d the Dulmage-Mendelsohn decomposition built
// on it), and prints the report line
//     nodes  edges  size  initial-pairs  arc-scans  seconds
// where initial-pairs counts the pairs the initialisation matched, and
// arc-scans the adjacency entries read by the initialisation and the search;
// seconds is the user CPU time of the solve alone, the decomposition
// included (the working memory is allocated before it starts), or its
// wall-clock time when it ran on more than one thread (-t).
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "fail.h"
#include "fastcore/dulmage_mendelsohn.h"
#include "fastcore/matching.h"
#include "fileio/safe_writer.h"
#include "matching_input.h"
#include "result_files.h"
#include "solve_clock.h"

const char* const messageEnd = "";

namespace {

struct Options {
  fast::MatchingOptions solver;
  MatchingInput input;
  std::string matching_file;  // -w, empty when not asked for
  std::string cover_file;     // -c
  std::string dm_file;        // -d
};

constexpr const char* kUsage =
    "Usage: fastmatch [-a ALGORITHM] [-u U] [-t THREADS] [-w FILE] [-c FILE] [-d FILE]\n"
    "                 [-m MAP] [INPUT OPTIONS] [PROBLEM]\n"
    "Computes a maximum matching of the bipartite problem in PROBLEM (standard input\n"
    "when it is missing or -) and prints the report line: nodes, edges, matching\n"
    "size, pairs matched by the initialisation, arc scans, solve seconds. PROBLEM is\n"
    "a bipartite problem (or \"max\" network of matching shape), a Matrix Market\n"
    "file (rows the first side) or an edge list (tails the first side), plain or\n"
    "gzip, told apart by content.\n"
    "  -a ALGORITHM  auto (the default: chosen by a look at the degrees), or\n"
    "                [START+]SEARCH[/SIDE]; START is ks (Karp-Sipser, the\n"
    "                default), ks-greedy (its degree-one rule, then greedy),\n"
    "                ks-one (its degree-one rule alone), greedy or none;\n"
    "                SEARCH is pf (Pothen-Fan PF+),\n"
    "                pr (push-relabel), pr-either (push-relabel from the side\n"
    "                with fewer free vertices that may still be matched),\n"
    "                pf-pr (PF+, push-relabel once PF+ has scanned edges +\n"
    "                vertices), pf-both (PF+ from both sides in turn),\n"
    "                pf-interleaved (PF+, several searches in flight at once) or\n"
    "                sweeps (from the other side's free vertices, by sweeps over\n"
    "                the starting side's lists in order);\n"
    "                SIDE is first (the default) or second, the side whose free\n"
    "                vertices the searches start from\n"
    "  -u U          push-relabel: a global relabelling after U x (rows + columns)\n"
    "                pushes (default 1)\n"
    "  -t THREADS    solve on this many threads (default 1; 0: every processor\n"
    "                this process may use); on more than one the seconds are\n"
    "                wall-clock seconds, and a note on standard error says so\n"
    "  --threads-from EDGES\n"
    "                a problem of fewer edges is solved on one thread whatever\n"
    "                -t says, since threads would cost more than they save\n"
    "                (default 1048576)\n"
    "  -w FILE       write the matched pairs, \"U V\" a line\n"
    "  -c FILE       write a minimum vertex cover, \"1 U\" or \"2 V\" a line\n"
    "                (-w and -c in the vertices' names, when the problem has them)\n"
    "  -d FILE       write the Dulmage-Mendelsohn decomposition: the row and column\n"
    "                orders and the block boundaries of the block triangular form\n"
    "  -m MAP        the vertices' names: MAP's \"SIDE ID NAME\" lines (toproblem -m)\n"
    "  -h, --help    print this help\n"
    "Input options:\n"
    "  --format F    problem, mtx or edges: the format, when content does not tell\n"
    "  --base 0|1    an edge list's first vertex id (default: 0 if some id is 0)\n"
    "  --names       an edge list's vertices are names (words), each side numbered\n"
    "                in order of first appearance; the result files use the names\n"
    "  --undirected  an edge list's pairs in both directions, every vertex on both sides\n"
    "A result file is written whole, through a temporary file beside it that\n"
    "keeps its permissions (a device, FIFO or socket is written in place); one\n"
    "that is the problem, the name table, the standard output or another result\n"
    "file is refused before anything is read.\n";

[[noreturn]] void UsageError(const char* why) {
  std::fprintf(stderr, "fastmatch: %s\n%s", why, kUsage);
  std::exit(1);
}

// "auto", or [START+]SEARCH[/SIDE]: the start defaults to ks, the side to
// first.
bool ParseAlgorithm(std::string name, fast::MatchingOptions* options) {
  if (name == "auto") return true;
  options->side = fast::Side::kRows;
  size_t slash = name.find('/');
  if (slash != std::string::npos) {
    if (!fast::FromName(name.substr(slash + 1), &options->side)) return false;
    name.resize(slash);
  }
  size_t plus = name.find('+');
  std::string start = plus == std::string::npos ? "ks" : name.substr(0, plus);
  std::string search = plus == std::string::npos ? name : name.substr(plus + 1);
  return fast::FromName(start, &options->initialisation) &&
         fast::FromName(search, &options->search);
}

Options ParseOptions(int argc, char** argv) {
  // The input options have no letter; they go to the shared parser by name.
  constexpr int kInputOption = 256, kThreadsFrom = 257;
  static const option kLong[] = {{"help", no_argument, nullptr, 'h'},
                                 {"threads-from", required_argument, nullptr, kThreadsFrom},
                                 {"format", required_argument, nullptr, kInputOption},
                                 {"base", required_argument, nullptr, kInputOption},
                                 {"names", no_argument, nullptr, kInputOption},
                                 {"undirected", no_argument, nullptr, kInputOption},
                                 {}};
  Options options;
  // The reader builds valid arrays; Solve() need not check them again.
  options.solver.check_input = false;
  int letter, index = 0;
  while ((letter = getopt_long(argc, argv, "+a:u:t:w:c:d:m:h", kLong, &index)) != -1) {
    switch (letter) {
      case kInputOption: {
        const std::string fault = fileio::setInputOption(std::string("--") + kLong[index].name,
                                                         optarg, options.input.options);
        if (!fault.empty()) UsageError(fault.c_str());
        break;
      }
      case 'm':
        options.input.map = optarg;
        break;
      case 'a':
        if (!ParseAlgorithm(optarg, &options.solver))
          UsageError(("unknown algorithm '" + std::string(optarg) + "'").c_str());
        break;
      case 'u':
        options.solver.global_relabel_factor = std::atof(optarg);
        if (!(options.solver.global_relabel_factor > 0)) UsageError("-u needs a positive number");
        break;
      case 't':
        if (!parseThreadCount(optarg, &options.solver.threads))
          UsageError("-t needs a number of threads, from 0 (every processor) to 4096");
        break;
      case kThreadsFrom: {
        long long edges;
        if (!parseThreadsFrom(optarg, &edges)) UsageError("--threads-from needs a number of edges");
        options.solver.parallel_min_entries = edges;
        break;
      }
      case 'w':
      case 'c':
      case 'd':
        // An empty name would read as "not asked for" further on.
        if (*optarg == '\0') UsageError("-w, -c and -d need a file name");
        (letter == 'w'   ? options.matching_file
         : letter == 'c' ? options.cover_file
                         : options.dm_file) = optarg;
        break;
      case 'h':
        std::fputs(kUsage, stdout);
        std::exit(0);
      default:
        UsageError("bad option");
    }
  }
  if (optind < argc) options.input.path = argv[optind++];
  if (optind < argc) UsageError("one problem file, after the options");
  return options;
}

// Refuses, before anything is read, result files that would replace the
// problem, the report line or each other.
void CheckOutputs(const Options& options) {
  const MatchingInput& input = options.input;
  fileio::RunFiles files{
      input.path == "-",
      true,
      {},
      {{"-w", options.matching_file}, {"-c", options.cover_file}, {"-d", options.dm_file}}};
  for (const std::string& path : {input.path, input.map})
    if (!path.empty() && path != "-") files.inputs.push_back(path);
  if (std::optional<fileio::Refusal> refusal = fileio::CheckOutputs(files)) {
    std::fprintf(stderr, "fastmatch: %s\n", refusal->message.c_str());
    std::exit(1);
  }
}

// Empty, or why a result file could not be written. Memory that cannot be
// had ends the run as in the solve, once the writers are gone.
std::string WriteResults(const Options& options, const MatchingProblemFile& problem,
                         const fast::MaximumMatching& matching, const fast::DulmageMendelsohn& dm) {
  try {
    std::string error;
    if (!options.matching_file.empty())
      error = WriteMatchingFile(options.matching_file, problem, matching);
    if (error.empty() && !options.cover_file.empty())
      error = WriteCoverFile(options.cover_file, problem, matching);
    if (error.empty() && !options.dm_file.empty())
      error = WriteDecompositionFile(options.dm_file, problem, dm);
    return error;
  } catch (const std::bad_alloc&) {
    fail(kNoMemory);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  CheckOutputs(options);
  MatchingProblemFile problem;
  ReadMatchingInput(options.input, &problem);

  const fast::BipartiteGraph graph = problem.graph();
  const bool decompose = !options.dm_file.empty();
  fast::MaximumMatching matching_alone(graph, options.solver);
  fast::DulmageMendelsohn dm(graph, options.solver);
  // The working memory is had and first touched before the clock starts.
  fast::Status status = decompose ? dm.Prepare() : matching_alone.Prepare();
  const SolveClock clock;
  if (status == fast::Status::kOptimal) status = decompose ? dm.Solve() : matching_alone.Solve();
  const fast::MaximumMatching& matching = decompose ? dm.matching() : matching_alone;
  const double seconds = clock.seconds(matching.plan().threads);
  if (status == fast::Status::kOutOfMemory) fail(kNoMemory);
  if (status != fast::Status::kOptimal) {
    std::fprintf(stderr, "fastmatch: %s\n", std::string(fast::StatusMessage(status)).c_str());
    return 1;
  }
  noteThreads("fastmatch", options.solver.threads, matching.plan().threads);
  std::string error = WriteResults(options, problem, matching, dm);
  if (error.empty()) {
    const fast::MatchingCounters& counters = matching.counters();
    std::printf("%8ld %8ld %8lld %8lld %8lld %11.3f\n", problem.report_nodes, problem.report_edges,
                static_cast<long long>(matching.size()),
                static_cast<long long>(counters.initial_pairs),
                static_cast<long long>(counters.arc_scans), seconds);
    if (fileio::FinishStandardOutput(&error)) return 0;
  }
  std::fprintf(stderr, "fastmatch: %s\n", error.c_str());
  return 1;
}
