// The bipartite families of genbip shaped like the sparse matrices of
// applications: bands, bordered blocks, grids and meshes, each written in
// the order its application would write it.
#pragma once

#include <vector>

#include "bipartite_families.h"

const std::vector<BipartiteFamily>& matrixFamilies();
