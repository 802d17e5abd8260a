// fastmatch: reads a matching problem from standard input, computes a
// maximum matching, and prints the report line
//     nodes  edges  size  initial-pairs  arc-scans  seconds
// where initial-pairs counts the pairs the initialisation matched, and
// arc-scans the adjacency entries read by the initialisation and the search;
// seconds is the user CPU time of the solve alone (the working memory is
// allocated before it starts), or its wall-clock time when it ran on more
// than one thread.
#include <getopt.h>
#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fail.h"
#include "fastcore/matching.h"
#include "matching_problem.h"
#include "result_files.h"

const char* const messageEnd = "";

namespace {

struct Options {
  fast::MatchingOptions solver;
  std::string matching_file;  // -w, empty when not asked for
  std::string cover_file;     // -c
};

constexpr const char* kUsage =
    "Usage: fastmatch [-a ALGORITHM] [-u U] [-t THREADS] [-w FILE] [-c FILE] < PROBLEM\n"
    "Computes a maximum matching of the bipartite problem (or \"max\" network of\n"
    "matching shape) on standard input and prints the report line: nodes, edges,\n"
    "matching size, pairs matched by the initialisation, arc scans, solve seconds.\n"
    "  -a ALGORITHM  auto (the default: chosen by a look at the degrees), or\n"
    "                [START+]SEARCH[/SIDE]; START is ks (Karp-Sipser, the\n"
    "                default), greedy or none; SEARCH is pf (Pothen-Fan PF+),\n"
    "                pr (push-relabel), pf-pr (PF+, push-relabel once PF+\n"
    "                has scanned edges + vertices) or pf-both (PF+ from both\n"
    "                sides in turn); SIDE is first (the default) or second, the\n"
    "                side whose free vertices the searches start from\n"
    "  -u U          push-relabel: a global relabelling after U x (rows + columns)\n"
    "                pushes (default 1)\n"
    "  -t THREADS    solve on this many threads (default 1; 0: every processor\n"
    "                this process may use); on more than one the seconds are\n"
    "                wall-clock seconds, and a note on standard error says so\n"
    "  -w FILE       write the matched pairs, \"U V\" a line\n"
    "  -c FILE       write a minimum vertex cover, \"1 U\" or \"2 V\" a line\n"
    "  -h, --help    print this help\n";

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

// A count of threads: a decimal number from 0 (every processor) to 4096.
int ParseThreads(const char* text) {
  constexpr long kMost = 4096;
  char* end;
  errno = 0;
  const long threads = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || threads < 0 || threads > kMost)
    UsageError("-t needs a number of threads from 0 (every processor) to 4096");
  return static_cast<int>(threads);
}

Options ParseOptions(int argc, char** argv) {
  static const option kLong[] = {{"help", no_argument, nullptr, 'h'}, {}};
  Options options;
  // The reader builds valid arrays; Solve() need not check them again.
  options.solver.check_input = false;
  int letter;
  while ((letter = getopt_long(argc, argv, "+a:u:t:w:c:h", kLong, nullptr)) != -1) {
    switch (letter) {
      case 'a':
        if (!ParseAlgorithm(optarg, &options.solver)) UsageError("unknown algorithm");
        break;
      case 'u':
        options.solver.global_relabel_factor = std::atof(optarg);
        if (!(options.solver.global_relabel_factor > 0)) UsageError("-u needs a positive number");
        break;
      case 't':
        options.solver.threads = ParseThreads(optarg);
        break;
      case 'w':
        options.matching_file = optarg;
        break;
      case 'c':
        options.cover_file = optarg;
        break;
      case 'h':
        std::fputs(kUsage, stdout);
        std::exit(0);
      default:
        UsageError("bad option");
    }
  }
  if (optind < argc) UsageError("the problem is read from standard input");
  return options;
}

// Refuses output files that would replace the input or each other.
void CheckOutputs(const Options& options) {
  for (const std::string* path : {&options.matching_file, &options.cover_file}) {
    if (path->empty() || !IsStandardInput(*path)) continue;
    std::fprintf(stderr, "fastmatch: %s is the standard input; it is not overwritten\n",
                 path->c_str());
    std::exit(1);
  }
  if (!options.matching_file.empty() && options.matching_file == options.cover_file)
    UsageError("-w and -c name the same file");
}

double UserSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6;
}

void WriteOrExit(const std::string& error) {
  if (error.empty()) return;
  std::fprintf(stderr, "fastmatch: %s\n", error.c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  CheckOutputs(options);
  MatchingProblemFile problem;
  ReadMatchingProblem(stdin, &problem);

  fast::MaximumMatching matching(problem.graph(), options.solver);
  // The working memory is had and first touched before the clock starts.
  fast::Status status = matching.Prepare();
  const double start = UserSeconds();
  const auto wall_start = std::chrono::steady_clock::now();
  if (status == fast::Status::kOptimal) status = matching.Solve();
  double seconds = UserSeconds() - start;
  const int threads = matching.plan().threads;
  if (threads > 1)
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
  if (status == fast::Status::kOutOfMemory) fail(kNoMemory);
  if (status != fast::Status::kOptimal) {
    std::fprintf(stderr, "fastmatch: %s\n", std::string(fast::StatusMessage(status)).c_str());
    return 1;
  }
  if (!options.matching_file.empty())
    WriteOrExit(WriteMatchingFile(options.matching_file, problem, matching));
  if (!options.cover_file.empty())
    WriteOrExit(WriteCoverFile(options.cover_file, problem, matching));
  if (threads > 1)
    std::fprintf(stderr, "fastmatch: solved on %d threads; the seconds are wall-clock time\n",
                 threads);
  else if (options.solver.threads != 1)
    std::fputs("fastmatch: solved on one thread; the seconds are CPU time\n", stderr);
  const fast::MatchingCounters& counters = matching.counters();
  std::printf("%8ld %8ld %8lld %8lld %8lld %11.3f\n", problem.report_nodes, problem.report_edges,
              static_cast<long long>(matching.size()),
              static_cast<long long>(counters.initial_pairs),
              static_cast<long long>(counters.arc_scans), seconds);
  return 0;
}
