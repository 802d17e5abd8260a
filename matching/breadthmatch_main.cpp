// breadthmatch: reads a matching problem from standard input, computes a
// maximum matching by one breadth-first search from every X node still free
// after the greedy start, and prints the report line.
#include "breadthmatch.h"
#include "matching_driver.h"

graph<match_node> G;
const char* const messageEnd = "";

int main(int argc, char** argv) {
  return runMatchingSolver(argc, argv, G, forceGreedyStart, bfsBIM);
}
