// The orders in which genbip writes a problem's vertices and edges. The
// same graph in another order is another test: a greedy start or a search
// that scans vertices and lists in file order meets the structure in that
// order, and solvers must not depend on one generator's habits.
#pragma once

#include <string>
#include <vector>

#include "problem.h"
#include "random.h"

// The words of genbip's --order.
const std::vector<const char*>& vertexOrderNames();

// Renumbers both sides and reorders the edges of `graph` as `order` (one of
// vertexOrderNames()) says:
//   random         both sides by random permutations, the edges in random order
//   breadth-first  both sides in the order a breadth-first search reaches them
//   degree         each side by increasing degree
//   reversed       both sides numbered from the other end, the edges backwards
// breadth-first and degree write the edges sorted by first side, then second.
void reorder(Bipartite& graph, const std::string& order, Random& random);
