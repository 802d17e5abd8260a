// Problem reader of the matching programs. It reads a "bipartite-matching"
// problem (two sides and the edges between them; a source joined to every
// first-side node and a sink joined to every second-side node are added) or a
// "max" network whose arcs have that shape, stores every edge in the lists of
// both endpoints, and sorts the entries into forward-star order in place.
// The order of the entries inside each list is the one the sort produces,
// and the solvers scan neighbours in that order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <new>

#include "arc_lists.h"
#include "fail.h"
#include "graph.h"
#include "memory_budget.h"
#include "problem_input.h"
#include "problem_lines.h"

namespace matching_input {

// A "max" network that the matching solvers can work on: the source and the
// sink differ; each node adjacent to the source is joined to it by exactly
// one arc (the X nodes), each node adjacent to the sink likewise (the Y
// nodes); no node is both; every other arc joins an X node and a Y node.
template <class Node>
bool isBipartiteNetwork(const graph<Node>& G) {
  if (G.source == G.sink) return false;
  enum : char { none, X, Y };
  char* side = new (std::nothrow) char[G.n]();
  if (side == nullptr) fail(kNoMemory);
  bool ok = true;
  auto claim = [&](const Node* terminal, char kind) {
    for (Node** a = terminal->first; a < G.endOf(terminal) && ok; ++a) {
      Node* w = *a;
      ok = w != G.source && w != G.sink && side[G.index(w)] == none;
      if (ok) side[G.index(w)] = kind;
    }
  };
  claim(G.source, X);
  claim(G.sink, Y);
  for (const Node* v = G.nodes; v < G.nodes + G.n && ok; ++v) {
    if (v == G.source || v == G.sink) continue;
    for (Node** a = v->first; a < G.endOf(v) && ok; ++a) {
      Node* w = *a;
      if (w == G.source || w == G.sink) continue;
      char mine = side[G.index(v)], theirs = side[G.index(w)];
      ok = mine != none && theirs != none && mine != theirs;
    }
  }
  delete[] side;
  return ok;
}

// Stores the arc entries as they are read, as keys (owner, target) in the
// arc array itself, and sorts them into lists at the end.
template <class Node>
class Reader {
 public:
  explicit Reader(graph<Node>& g) : G(g) {}

  void read(FILE* in) {
    readProblemLines(in, *this);
    if (!problem.seen) fail("no problem line in the input");
    if (arcLinesLeft > 0) fail("too few arcs input");
    if (problem.flow && (G.source == nullptr || G.sink == nullptr))
      fail("no source or sink in the input");
    complete();
    if (problem.flow && !isBipartiteNetwork(G)) fail("not a bipartite matching network");
  }

  void problemLine(const char* line) {
    if (problem.seen) fail("more than one problem line");
    problem = readMatchingProblemLine(line);
    if (!affordable(problemBytes(problem.nodes, problem.entries, sizeof(Node), sizeof(Node*))))
      fail(kNoMemory);
    if (!G.makeNodes(problem.nodes) || !G.makeArcs(problem.entries)) fail(kNoMemory);
    if (!problem.flow) {
      G.source = G.nodes + problem.nodes - 2;
      G.sink = G.nodes + problem.nodes - 1;
    }
    static_assert(sizeof(Node*) == sizeof(uint64_t), "a key fits in an arc element");
    keys.start(G.arcs, problem.nodes);
    arcLinesLeft = problem.arcs;
  }

  void nodeLine(const char* line) {
    const NodeLine node = readMatchingNodeLine(line, problem);
    nameTerminal(G, G.nodes + (node.number - 1), node.kind);
  }

  // The second side's nodes follow the first side's.
  void arcLine(const char* line) {
    if (arcLinesLeft == 0) fail("too many arcs input");
    const ArcEnds ends = readMatchingArcLine(line, problem);
    const long head = problem.flow ? ends.head : ends.head + problem.firstSide;
    --arcLinesLeft;
    addEdge(static_cast<int32_t>(ends.tail - 1), static_cast<int32_t>(head - 1));
  }

 private:
  // One entry in t's list pointing at h, then one in h's list pointing at t.
  void addEdge(int32_t t, int32_t h) {
    keys.add(t, uint32_t(h));
    keys.add(h, uint32_t(t));
  }

  void complete() {
    if (!problem.flow) addTerminalEdges();
    keys.sortIntoLists(G);
    for (int32_t i = 0; i < G.m; ++i) G.arcs[i] = G.nodes + ArcKeys::payload(keys.get(i));
  }

  // The source's pair of entries with every first-side node, then every
  // second-side node's pair with the sink.
  void addTerminalEdges() {
    int32_t source = G.n - 2, sink = G.n - 1;
    for (int32_t x = 0; x < problem.firstSide; ++x) addEdge(source, x);
    for (int32_t y = problem.firstSide; y <= G.n - 3; ++y) addEdge(y, sink);
  }

  graph<Node>& G;
  MatchingProblem problem;
  long arcLinesLeft = 0;  // arc lines the problem line still allows
  ArcKeys keys;
};

}  // namespace matching_input

// Reads one problem from `in` into G; on an input error prints its message
// and exits with status 1.
template <class Node>
void parse(graph<Node>& G, FILE* in = stdin) {
  matching_input::Reader<Node>(G).read(in);
}
