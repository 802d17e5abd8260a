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
#include <cstdlib>
#include <new>
#include <utility>

#include "fail.h"
#include "graph.h"
#include "line_input.h"
#include "memory_budget.h"
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

// Stores the arc entries as they are read and sorts them at the end. Each
// entry carries an owner tag, the index of the node whose list it belongs
// to; counts[x + 1] counts node x's entries until list starts replace them.
template <class Node>
class Reader {
 public:
  explicit Reader(graph<Node>& g) : G(g) {}
  ~Reader() {
    delete[] owners;
    delete[] counts;
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  void read(FILE* in) {
    LineInput lines(in);
    while (const char* line = lines.next()) dispatch(line);
    if (lines.failed()) fail("reading error");
    if (lines.linesRead() == 0) fail("input file is empty");
    if (!problem.seen) fail("no problem line in the input");
    if (arcLinesLeft > 0) fail("too few arcs input");
    if (problem.flow && (G.source == nullptr || G.sink == nullptr))
      fail("no source or sink in the input");
    complete();
    if (problem.flow && !isBipartiteNetwork(G)) fail("not a bipartite matching network");
  }

 private:
  void dispatch(const char* line) {
    switch (line[0]) {
      case '\0':
      case 'c':
      case 't':
        return;
      case 'p':
        return problemLine(line);
      case 'n':
        return nodeLine(line);
      case 'a':
        return arcLine(line);
      default:
        fail("unknown line type in the input");
    }
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
    owners = new (std::nothrow) int32_t[problem.entries];
    counts = new (std::nothrow) int32_t[problem.nodes + 1L]();
    if (owners == nullptr || counts == nullptr) fail(kNoMemory);
    arcLinesLeft = problem.arcs;
  }

  void nodeLine(const char* line) {
    if (!problem.seen) fail("problem description must come first");
    if (!problem.flow) fail("Node line not allowed in bipartite graph formulation");
    long number;
    char kind;
    if (std::sscanf(line, "%*c %ld %c", &number, &kind) < 2)
      fail("wrong number of parameters in a node description line");
    if (number < 1 || number > problem.nodes) fail("invalid node number");
    Node* node = G.nodes + (number - 1);
    if (kind == 's') {
      if (G.source != nullptr) fail("Multiple sources not permitted");
      G.source = node;
    } else if (kind == 't') {
      if (G.sink != nullptr) fail("Multiple sinks not permitted");
      G.sink = node;
    } else {
      fail("Improper source-sink description in node description line");
    }
  }

  void arcLine(const char* line) {
    if (arcLinesLeft == 0) fail("too many arcs input");
    long tail, head, capacity;
    int fields = std::sscanf(line, "%*c %ld %ld %ld", &tail, &head, &capacity);
    if (fields != (problem.flow ? 3 : 2))
      fail("wrong number of parameters in an arc desrciption line");
    if (problem.flow) {
      if (!inRange(tail, problem.nodes) || !inRange(head, problem.nodes))
        fail("invalid node reference in an arc description line");
      if (capacity != 1) std::printf("Warning Upper Bound changed to 1\n");
    } else {
      if (!inRange(tail, problem.firstSide) || !inRange(head, problem.secondSide))
        fail("invalid node reference in an arc description line");
      head += problem.firstSide;
    }
    --arcLinesLeft;
    addEdge(static_cast<int32_t>(tail - 1), static_cast<int32_t>(head - 1));
  }

  static bool inRange(long number, long last) { return number >= 1 && number <= last; }

  // One entry in t's list pointing at h, then one in h's list pointing at t.
  void addEdge(int32_t t, int32_t h) {
    addEntry(t, h);
    addEntry(h, t);
  }
  void addEntry(int32_t owner, int32_t target) {
    G.arcs[stored] = G.nodes + target;
    owners[stored++] = owner;
    ++counts[owner + 1];
  }

  void complete() {
    if (!problem.flow) addTerminalEdges();
    setListStarts();
    sortEntries();
  }

  // The source's pair of entries with every first-side node, then every
  // second-side node's pair with the sink.
  void addTerminalEdges() {
    int32_t source = G.n - 2, sink = G.n - 1;
    for (int32_t x = 0; x < problem.firstSide; ++x) addEdge(source, x);
    for (int32_t y = problem.firstSide; y <= G.n - 3; ++y) addEdge(y, sink);
  }

  // Turns the counts into start positions: counts[x] becomes the index of
  // node x's first entry, and the sentinel's run starts at m.
  void setListStarts() {
    for (int32_t x = 0; x < G.n; ++x) {
      if (x > 0) counts[x] += counts[x - 1];
      G.nodes[x].first = G.arcs + counts[x];
    }
    G.nodes[G.n].first = G.arcs + G.m;
  }

  // In-place permutation: counts[y] is the next free position of node y's
  // run; every swap puts one entry into its final run and advances one
  // count, so there are at most m swaps.
  void sortEntries() {
    for (int32_t x = 0; x < G.n; ++x) {
      int32_t end = static_cast<int32_t>(G.nodes[x + 1].first - G.arcs);
      for (int32_t p = counts[x]; p < end; ++p) {
        while (owners[p] != x) {
          int32_t y = owners[p];
          int32_t j = counts[y]++;
          std::swap(G.arcs[p], G.arcs[j]);
          owners[p] = owners[j];
          owners[j] = y;
        }
      }
    }
  }

  graph<Node>& G;
  MatchingProblem problem;
  long arcLinesLeft = 0;  // arc lines the problem line still allows
  int32_t stored = 0;     // entries stored so far; the next goes to arcs[stored]
  int32_t* owners = nullptr;
  int32_t* counts = nullptr;
};

}  // namespace matching_input

// Reads one problem from `in` into G; on an input error prints its message
// and exits with status 1.
template <class Node>
void parse(graph<Node>& G, FILE* in = stdin) {
  matching_input::Reader<Node>(G).read(in);
}
