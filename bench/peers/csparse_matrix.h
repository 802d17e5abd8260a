// The biadjacency matrix of a bipartite problem for the CSparse peers.
#pragma once

#include <suitesparse/cs.h>

#include "peer_problem.h"

// A pattern matrix (no values) in compressed-column form with a row per
// first-side vertex and a column per second-side vertex. Parallel edges
// become one entry: cs_maxtrans, and so cs_dmperm, can match a row twice
// when a column lists it twice (on a 2 x 7 matrix with doubled entries it
// reported a structural rank of 2 where one row has no entry at all).
// Null when the memory cannot be had.
cs* biadjacency(const Bipartite& graph);
