// depthmatch: reads a matching problem from standard input, computes a
// maximum matching by one depth-first search with look-ahead from every X
// node still free after the greedy start, and prints the report line.
#include "depthmatch.h"
#include "matching_driver.h"

graph<match_node> G;
const char* const messageEnd = "";

int main(int argc, char** argv) {
  return runMatchingSolver(argc, argv, G, forceGreedyStart, dfsBIM);
}
