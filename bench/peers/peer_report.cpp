#include "peer_report.h"

#include <sys/resource.h>

#include <cstdio>

namespace {

void report(long nodes, long edges, long result, long long counter1, long long counter2,
            double seconds) {
  std::printf("%8ld %8ld %8ld %8lld %8lld %11.3f\n", nodes, edges, result, counter1, counter2,
              seconds);
}

}  // namespace

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
}

void reportMatching(const Bipartite& graph, long size, double seconds) {
  report(static_cast<long>(graph.left) + graph.right, static_cast<long>(graph.edges.size()), size,
         0, 0, seconds);
}

void reportCounted(const Bipartite& graph, long result, long long count, double seconds) {
  report(static_cast<long>(graph.left) + graph.right, static_cast<long>(graph.edges.size()), result,
         count, 0, seconds);
}

void reportFlow(const PeerProblem& problem, long value, long long counter1, long long counter2,
                double seconds) {
  if (problem.isBipartite) {
    const Bipartite& graph = problem.bipartite;
    report(static_cast<long>(graph.left) + graph.right, static_cast<long>(graph.edges.size()),
           value, counter1, counter2, seconds);
  } else {
    report(problem.network.nodes, static_cast<long>(problem.network.arcs.size()), value, counter1,
           counter2, seconds);
  }
}
