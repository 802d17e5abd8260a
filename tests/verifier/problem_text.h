// Reading the problems and results that the verifier checks. The problem
// texts are ones a program has accepted, so only their meaning is taken
// here, not their faults: "p bipartite-matching N1 N2 M" with "a U V" lines,
// "p max N M" with node and arc lines, and match's listing of its matching.
#pragma once

#include <string>
#include <vector>

#include "verifier.h"

namespace verifier {

// A bipartite problem, or a "max" network of the matching shape (its X nodes
// joined to the source, its Y nodes to the sink), as a bipartite graph.
// False when the text holds no such problem.
bool readBipartite(const std::string& text, Bipartite& g);

// A "max" or "unit-flow" network whose node numbers start at `offset`.
bool readNetwork(const std::string& text, long offset, Network& g);

// A flow file: comment lines ("c ...") and "U V" lines, one for every unit
// of flow on an arc from U to V, node numbers starting at `offset`; the arcs
// come out numbered from 0. False when a line is of neither kind.
bool readFlowFile(const std::string& text, long offset, std::vector<Pair>& arcs);

// A cut file: comment lines and one node number (from `offset`) a line, the
// source side of a cut; the nodes come out numbered from 0.
bool readCutFile(const std::string& text, long offset, std::vector<int64_t>& side);

// The pairs of match's output file: a heading with |U|, |V| and |E|, an empty
// line, then "u matched to v" lines. False when the text is not of that form
// or its heading disagrees with g.
bool readMatchListing(const std::string& text, const Bipartite& g, std::vector<Pair>& pairs);

}  // namespace verifier
