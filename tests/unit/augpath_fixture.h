// Shared set-up of the depthmatch and breadthmatch unit tests: each test
// executable defines the program's `G`, reads a problem into it, runs the
// solver and inspects the node records afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "graph.h"
#include "matching_reader.h"
#include "run_state.h"

// Replaces G's problem with the one in `text` and zeroes the counters.
template <class Node>
void load(graph<Node>& G, const std::string& text) {
  delete[] G.nodes;
  delete[] G.arcs;
  G = graph<Node>();
  stats = Stats();
  FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  parse(G, in);
  std::fclose(in);
}

// The `mate` fields form a matching along edges: every X node is free or
// matched to a neighbour that names it back; returns the number of pairs.
template <class Node>
int checkedMatchingSize(const graph<Node>& G) {
  int pairs = 0;
  for (Node** s = G.source->first; s < G.endOf(G.source); ++s) {
    Node* x = *s;
    if (x->mate == G.sink) continue;
    bool neighbour = false;
    for (Node** a = x->first; a < G.endOf(x); ++a) neighbour |= *a == x->mate;
    EXPECT_TRUE(neighbour) << "X node " << G.index(x) << " is matched to a non-neighbour";
    EXPECT_EQ(x->mate->mate, x) << "X node " << G.index(x) << " is not its mate's mate";
    ++pairs;
  }
  return pairs;
}

// The marks of the X nodes, in their problem numbering from 1.
template <class Node>
std::vector<int32_t> marksOf(const graph<Node>& G) {
  std::vector<int32_t> marks;
  for (long k = 0; k < G.endOf(G.source) - G.source->first; ++k)
    marks.push_back(G.nodes[k].visited);
  return marks;
}

// The problems of the end-to-end cases of the same names.
constexpr const char* kFailedSearch =
    "p bipartite-matching 4 2 5\na 1 2\na 2 2\na 3 1\na 3 2\na 4 2\n";
constexpr const char* kPathOfThree =
    "p bipartite-matching 3 3 5\na 1 1\na 2 1\na 2 2\na 3 3\na 3 2\n";
constexpr const char* kMarksCleared =
    "p bipartite-matching 5 5 9\n"
    "a 3 5\na 5 5\na 3 1\na 5 2\na 2 5\na 4 2\na 1 3\na 5 3\na 4 4\n";
