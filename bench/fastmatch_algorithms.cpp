// Runs every algorithm of fastmatch on one problem read once: each side,
// start and search, and the automatic choice, k times each (default 3),
// and prints the median solve seconds in CPU time, side by side.
//
// Usage: fastmatch-algorithms [K [auto]] < PROBLEM  (auto: the automatic plan alone)
//
// The figures that chose fastmatch's automatic plan (docs/fast.md).
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fail.h"
#include "fastcore/matching.h"
#include "matching_problem.h"

const char* const messageEnd = "";

namespace {

double UserSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6;
}

// Median solve seconds of k runs with `options`; prints one line.
void Run(const fast::BipartiteGraph& graph, fast::MatchingOptions options, int k) {
  options.check_input = false;
  std::vector<double> seconds;
  int64_t size = 0, pairs = 0, scans = 0, phases = 0;
  fast::MatchingPlan plan;
  for (int run = 0; run < k; ++run) {
    fast::MaximumMatching matching(graph, options);
    const double start = UserSeconds();
    if (matching.Solve() != fast::Status::kOptimal) std::exit(1);
    seconds.push_back(UserSeconds() - start);
    size = matching.size();
    pairs = matching.counters().initial_pairs;
    scans = matching.counters().arc_scans;
    phases = matching.counters().phases;
    plan = matching.plan();
  }
  std::sort(seconds.begin(), seconds.end());
  const bool automatic = options.side == fast::Side::kAuto;
  std::printf("%-6s %-6s %-6s %-7s %9lld %9lld %11lld %6lld %8.3f\n", automatic ? "auto" : "",
              fast::NameOf(plan.side), fast::NameOf(plan.initialisation), fast::NameOf(plan.search),
              static_cast<long long>(size), static_cast<long long>(pairs),
              static_cast<long long>(scans), static_cast<long long>(phases),
              seconds[seconds.size() / 2]);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int k = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  MatchingProblemFile problem;
  ReadMatchingProblem(stdin, &problem);
  const fast::BipartiteGraph graph = problem.graph();
  std::printf("%-6s %-6s %-6s %-7s %9s %9s %11s %6s %8s\n", "", "side", "start", "search", "size",
              "initial", "scans", "phases", "seconds");
  Run(graph, {}, k);
  if (argc > 2) return 0;
  for (fast::Side side : {fast::Side::kRows, fast::Side::kColumns})
    for (fast::Initialisation start :
         {fast::Initialisation::kKarpSipser, fast::Initialisation::kKarpSipserThenGreedy,
          fast::Initialisation::kDegreeOne, fast::Initialisation::kGreedy,
          fast::Initialisation::kNone})
      for (fast::Search search :
           {fast::Search::kPothenFan, fast::Search::kPushRelabel,
            fast::Search::kPushRelabelEitherSide, fast::Search::kPothenFanThenPushRelabel,
            fast::Search::kPothenFanBothSides}) {
        fast::MatchingOptions options;
        options.side = side;
        options.initialisation = start;
        options.search = search;
        Run(graph, options, k);
      }
}
