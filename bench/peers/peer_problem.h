// The peer adapters' view of a problem file in the suite's formats: a
// bipartite matching problem or a max network with capacities, each
// convertible into the other where that makes sense. All numbers here are
// 0-based.
#pragma once

#include <cstdio>
#include <utility>
#include <vector>

using Pair = std::pair<int, int>;

// Edges run from first-side vertex 0 … left - 1 to second-side vertex
// 0 … right - 1.
struct Bipartite {
  int left = 0;
  int right = 0;
  std::vector<Pair> edges;
};

// Arc i runs from arcs[i].first to arcs[i].second with capacity
// capacities[i] (0 or more; 1 for every arc of a "unit-flow" network and of
// a matching reduction).
struct Network {
  int nodes = 0;
  int source = -1;
  int sink = -1;
  std::vector<Pair> arcs;
  std::vector<long> capacities;
};

struct PeerProblem {
  bool isBipartite = false;
  Bipartite bipartite;  // set when isBipartite
  Network network;      // set otherwise
};

// Reads the whole problem; on malformed input prints a message on standard
// error and exits with status 1.
PeerProblem readProblem(std::FILE* in);

// The matching problem of the input: a bipartite problem as it is, or a max
// network of the matching shape (source joined to each first-side node by
// one arc, each second-side node to the sink by one arc, all other arcs
// between the two sides, every capacity 1). Anything else prints "not a
// bipartite matching network" on standard output and exits with status 1,
// as the suite's matching programs do.
Bipartite matchingOf(const PeerProblem& problem);

// The flow problem of the input: a max network as it is, or the matching
// reduction of a bipartite problem.
Network networkOf(const PeerProblem& problem);
