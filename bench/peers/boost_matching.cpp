// peer-boost-matching: Boost Graph's Edmonds maximum cardinality matching on
// the bipartite graph (first side 0 … left - 1, second side after it).
#include <pthread.h>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/max_cardinality_matching.hpp>
#include <cstdio>
#include <vector>

#include "peer_report.h"

namespace {

using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::undirectedS>;
using Vertex = boost::graph_traits<Graph>::vertex_descriptor;

struct Job {
  Graph* g;
  Vertex* mate;
};

void* solve(void* job) {
  Job& j = *static_cast<Job*>(job);
  boost::edmonds_maximum_cardinality_matching(*j.g, j.mate);
  return nullptr;
}

// Boost retrieves an augmenting path by recursion, one call per vertex on the
// path, which overflows the default stack on large problems. The matching
// runs on a thread whose stack may grow to 4 GiB (address space, used only
// as deep as the recursion goes); where such a thread cannot be made, on
// this one.
void solveWithDeepStack(Job& job) {
  pthread_attr_t attributes;
  pthread_t thread;
  bool started = false;
  if (pthread_attr_init(&attributes) == 0) {
    started = pthread_attr_setstacksize(&attributes, std::size_t{4} << 30) == 0 &&
              pthread_create(&thread, &attributes, solve, &job) == 0;
    pthread_attr_destroy(&attributes);
  }
  if (started)
    pthread_join(thread, nullptr);
  else
    solve(&job);
}

}  // namespace

int main() {
  const Bipartite graph = matchingOf(readProblem(stdin));
  Graph g(graph.left + graph.right);
  for (const Pair& e : graph.edges) boost::add_edge(e.first, graph.left + e.second, g);
  std::vector<Vertex> mate(graph.left + graph.right);
  Job job{&g, mate.data()};
  const double start = cpuSeconds();
  solveWithDeepStack(job);
  const double seconds = cpuSeconds() - start;
  reportMatching(graph, static_cast<long>(boost::matching_size(g, mate.data())), seconds);
}
