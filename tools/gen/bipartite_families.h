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
