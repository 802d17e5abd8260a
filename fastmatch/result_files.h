// fastmatch's result files, written through the safe writer: whole or not
// at all, never over what the target is.
#pragma once

#include <string>

#include "fastcore/dulmage_mendelsohn.h"
#include "fastcore/matching.h"
#include "matching_problem.h"

// "c matching of N1 + N2 vertices, M edges", "c size K", then "U V" for
// every matched pair by increasing U, in the vertices' names when the
// problem has them. An empty string on success, else why
// the file could not be written.
std::string WriteMatchingFile(const std::string& path, const MatchingProblemFile& problem,
                              const fast::MaximumMatching& matching);

// "c vertex cover of N1 + N2 vertices, M edges", "c size K", then "1 U" for
// every first-side and "2 V" for every second-side vertex of a minimum
// vertex cover. Throws std::bad_alloc when the cover cannot be had.
std::string WriteCoverFile(const std::string& path, const MatchingProblemFile& problem,
                           const fast::MaximumMatching& matching);

// The Dulmage-Mendelsohn decomposition (docs/formats.md): the lines
// "c dulmage-mendelsohn ROWS COLUMNS", "c structural rank K", "c blocks NB",
// "c coarse rows" and "c coarse columns" with the five boundaries each, then
// "p U" for each row and "q V" for each column in their new order, "r B" and
// "s B" for the NB + 1 block boundaries. Positions are 1-based; U and V are
// the vertices' numbers in the problem file.
std::string WriteDecompositionFile(const std::string& path, const MatchingProblemFile& problem,
                                   const fast::DulmageMendelsohn& dm);
