// Reading the problems the verifier judges results against, as the solvers
// read them: "p bipartite-matching N1 N2 M" (any word beginning with
// "bipartite") with "a U V" lines, or "p max N M" ("p unit-flow N M") with
// "n K s", "n K t" and "a U V [C]" lines; comment
// lines, "t" lines and empty lines are skipped. Every number is checked
// against the problem line before use, the arc lines must be as many as
// declared, and the problem must fit in the memory budget; the first fault
// ends the reading with an InputFault (checked_text.h).
#pragma once

#include <vector>

#include "checked_text.h"
#include "verifier.h"

namespace verifier {

// The numbers that result files give g's vertices: left[u - 1] for left
// vertex u, right[v - 1] for right vertex v. A bipartite problem's own
// numbers, or a network's node numbers.
struct VertexNumbers {
  std::vector<int64_t> left;
  std::vector<int64_t> right;
};

// A bipartite problem, or a "max" network of the matching shape (its X
// nodes, the source's neighbours, on the left; its Y nodes, the sink's, on
// the right), as the matching programs accept it.
Bipartite readBipartite(const TextFile& file, VertexNumbers* numbers = nullptr);

// How a network's capacities are read: those of a "max" network's arc
// lines, whole numbers in 0 … 2^62 (1 where a line gives none), or none,
// every arc then having capacity 1 whatever its line says, as the unit-flow
// programs read it. A "unit-flow" network's arcs always have capacity 1.
enum class Capacities { kRead, kUnit };

// A "max" or "unit-flow" network whose node numbers start at `offset`.
Network readNetwork(const TextFile& file, int64_t offset, Capacities capacities);

// The pairs of match's output file: a heading with |U|, |V| and |E| that
// agrees with g, an empty line, then "u matched to v" lines.
std::vector<Pair> readMatchListing(const TextFile& file, const Bipartite& g);

}  // namespace verifier
