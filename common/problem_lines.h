// The lines of the two input formats that the readers check field by field:
// the matching input's problem, node and arc lines, and the unit-flow
// input's problem line and node numbers.
#pragma once

#include <cstdint>

struct MatchingProblem {
  bool seen = false;
  bool flow = false;       // "max" network rather than "bipartite-matching"
  int32_t nodes = 0;       // n, source and sink included
  int32_t entries = 0;     // arc entries: two per edge, arcs to the terminals included
  long arcs = 0;           // arc lines the problem declares
  int32_t firstSide = 0;   // bipartite: first-side (X) nodes, numbered 1 … firstSide
  int32_t secondSide = 0;  // bipartite: second-side (Y) nodes
};

// Parses "p max N M" or "p bipartite-matching N1 N2 M" (any word that begins
// with "bipartite" is taken as the latter). Every number is checked on its
// own and the derived counts must fit in 32 bits; a fault prints its message
// and exits with status 1.
MatchingProblem readMatchingProblemLine(const char* line);

// A node line of the matching input, "n N s" or "n N t", as written.
struct NodeLine {
  long number;
  char kind;  // checked by nameTerminal
};

// Parses a node line of the matching input and checks it against `problem`
// (its `seen` false before the problem line): it must follow a "max"
// problem line and name a node in 1 … nodes. A fault prints its message and
// exits with status 1.
NodeLine readMatchingNodeLine(const char* line, const MatchingProblem& problem);

// The node numbers of an arc line of the matching input, as written.
struct ArcEnds {
  long tail;
  long head;
};

// Parses an arc line of the matching input and checks it against `problem`:
// in a "max" network "a T H C", both numbers in 1 … nodes, and a capacity
// other than 1 draws a warning on standard output; in a bipartite problem
// "a X Y", X in 1 … firstSide and Y in 1 … secondSide, each side numbered
// from 1. A fault prints its message and exits with status 1.
ArcEnds readMatchingArcLine(const char* line, const MatchingProblem& problem);

// The problem line of the unit-flow input.
struct FlowProblem {
  int32_t nodes = 0;  // in 1 … INT32_MAX
  int32_t arcs = 0;   // arc lines the problem declares, in 1 … INT32_MAX / 2
  bool unit = false;  // the problem word is "unit-flow": every arc is one unit
};

// Parses "p max N M" or "p unit-flow N M". A fault prints its message and
// exits with status 1.
FlowProblem readFlowProblemLine(const char* line);

// The index of node `number` in a network of `nodes` nodes numbered from
// `offset`; a number outside prints `message` and exits with status 1. The
// number is checked against the 32-bit range first, so the subtraction
// cannot wrap.
int32_t flowNodeIndex(long number, long offset, int32_t nodes, const char* message);
