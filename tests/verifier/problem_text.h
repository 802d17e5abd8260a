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

// The numbers that result files give g's vertices: left[u - 1] for left
// vertex u, right[v - 1] for right vertex v. A bipartite problem's own
// numbers, or a network's node numbers.
struct VertexNumbers {
  std::vector<int64_t> left;
  std::vector<int64_t> right;
};
bool readBipartite(const std::string& text, Bipartite& g, VertexNumbers& numbers);

// A matching file: comment lines ("c size K" must count the pairs), then
// "U V" lines in file numbers, returned as pairs of g's numbers (0 for a
// number that names no vertex of that side). False when not of that form.
bool readMatchingFile(const std::string& text, const VertexNumbers& numbers,
                      std::vector<Pair>& pairs);

// A vertex cover file: comment lines, then "1 U" (left) or "2 V" (right)
// lines, returned in g's numbers as the two sides' lists.
bool readCoverFile(const std::string& text, const VertexNumbers& numbers,
                   std::vector<int64_t>& left, std::vector<int64_t>& right);

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
