// augrelabel: reads a matching problem from standard input, computes a
// maximum matching by augment-relabel, checks that it is maximum, and prints
// the report line.
#include "augrelabel.h"
#include "matching_driver.h"

graph<match_node> G;
const char* const messageEnd = "";

namespace {

// The check reuses the solver's `path` queue.
void check(Queue&, Queue& path, Queue&) { CheckMatching(path); }

}  // namespace

int main(int argc, char** argv) {
  return runMatchingSolver(argc, argv, G, forceGreedyStart, arBIM, check);
}
