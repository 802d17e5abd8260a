// Reading the result files the verifier judges: the claims they make
// (verifier.h) in g's numbers. Each file is read strictly, as the programs
// write it: comment lines ("c ..."), of which one states the claim (its
// form below, required once), and lines of whole numbers, each checked
// against the problem before use. The first fault ends the reading with an
// InputFault (checked_text.h); whether the claim holds is checked later.
#pragma once

#include "checked_text.h"
#include "decomposition.h"
#include "problem_text.h"
#include "verifier.h"

namespace verifier {

// fastmatch -w and distmatch -w: "c size K", then "U V" per matched pair,
// in the problem's numbers (a network's X and Y node numbers).
MatchingClaim readMatchingFile(const TextFile& file, const VertexNumbers& numbers);

// fastmatch -c: "c size K", then "1 U" (first side) or "2 V" (second side).
CoverClaim readCoverFile(const TextFile& file, const VertexNumbers& numbers);

// fastflow -w: "c flow value F", then "U V X" for X units of flow on an arc
// from U to V ("U V" for one unit), node numbers starting at `offset`.
FlowClaim readFlowFile(const TextFile& file, const Network& g, int64_t offset);
// True when the flow file says "c every arc counted as one unit" (fastflow
// --unit, or a "unit-flow" network): its flow is of the network's unit
// version.
bool isUnitFlowFile(const TextFile& file);

// fastflow -c: "c minimum cut capacity F", then one node number (from
// `offset`) a line, the source side.
CutClaim readCutFile(const TextFile& file, const Network& g, int64_t offset);

// fastmatch -d: "c dulmage-mendelsohn ROWS COLUMNS", "c structural rank K",
// "c blocks NB", "c coarse rows" and "c coarse columns" with five
// boundaries each, then "p U" per row, "q V" per column, "r B" and "s B"
// per block boundary, in that order; positions 1-based.
Decomposition readDecompositionFile(const TextFile& file, const VertexNumbers& numbers);

}  // namespace verifier
