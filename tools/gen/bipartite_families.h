// The bipartite problem families of genbip.
#pragma once

#include <vector>

#include "command_line.h"
#include "problem.h"
#include "random.h"

struct BipartiteFamily {
  FamilySpec spec;
  Bipartite (*make)(const Parameters& parameters, Random& random);
};

const std::vector<BipartiteFamily>& bipartiteFamilies();

// Renumbers both sides by random permutations and puts the edges in random
// order: the same graph, without the order a greedy start could exploit.
void relabelAtRandom(Bipartite& graph, Random& random);
