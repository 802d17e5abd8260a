// One pass of depth-first augmenting-path searches, one search per free U
// vertex, with a one-step lookahead for a free V vertex. The pass starts
// from a maximal matching (no edge with both ends free) and leaves a
// maximum one. Vertices explored by a failed search stay excluded for the
// rest of the pass.
#pragma once

#include "tables.h"

// Counters of the pass, reset by Inits and printed in the report line:
//   eex     matched edges exchanged: one for each U vertex UpdatePath
//           re-matches, that is the U vertices of a path minus one per
//           augmentation;
//   nBacks  dead ends: one each time the search finds no further edge out of
//           the vertex it is extending, the failure of the last root included.
extern int eex;
extern int nBacks;

// Resets the counters and the marks, points every U vertex's lookahead at
// its first edge and queues the free U vertices as roots.
void Inits(UTable& U, VTable& V);
// Runs one search from every queued root, highest vertex number first.
void FindPaths(UTable& U, VTable& V);
// Re-matches the path entries `from` … `to` of the search stack, each to the
// V vertex of the edge it leaves by.
void UpdatePath(UTable& U, VTable& V, int from, int to);
