// Timing and the report line of the peer adapters, in the format of the
// suite's matching programs: sizes, result, two counters, solve seconds.
#pragma once

#include "peer_problem.h"

// User CPU seconds of this process so far.
double cpuSeconds();

// Sizes as the suite's matching programs print them: both sides and the
// edges.
void reportMatching(const Bipartite& graph, long size, double seconds);

// The same with a result other than a matching's size and a count beside
// it, as the first counter.
void reportCounted(const Bipartite& graph, long result, long long count, double seconds);

// Sizes as the suite's programs print them for the same input: both sides and
// the edges for a bipartite problem, nodes and arcs for a network.
void reportFlow(const PeerProblem& problem, long value, long long counter1, long long counter2,
                double seconds);
