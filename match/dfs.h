// Computing, measuring and verifying a maximum matching on the tables.
#pragma once

#include "tables.h"

// The timed part of a run: GreedyMatch, then one pass of augmenting-path
// searches (Inits, FindPaths). Allocates nothing.
void Match(UTable& U, VTable& V);
// Matches each U vertex, ascending, to the first free V vertex in its list.
// The result is maximal: no edge has both ends free.
void GreedyMatch(UTable& U, VTable& V);
// The number of matched U vertices, that is the size of the matching.
int MeasureMatching(const UTable& U, const VTable& V);
// 1 when both sides agree and no augmenting path exists, else 0. Reports
// each disagreement, or else one augmenting path, on standard output;
// changes nothing.
int CheckMatching(const UTable& U, const VTable& V);
