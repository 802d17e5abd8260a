// pushmatch-lifo and pushmatch-fifo: read a matching problem from standard
// input, compute a maximum matching by push-relabel, and print the report
// line. The two differ only in the end of `ba` the solver takes from.
#include <algorithm>
#include <cstdint>

#include "matching_driver.h"
#include "pushmatch.h"

graph<match_node> G;
bucketArray<match_node> ba;
const char* const messageEnd = "";

namespace {

int32_t listLength(const match_node* v) { return static_cast<int32_t>(G.endOf(v) - v->first); }

// No X node can need a label as large as the smaller side. The greedy start
// runs only with -i.
void setUp() {
  const int32_t bound = std::min(listLength(G.source), listLength(G.sink));
  if (!ba.initialize(G.n, bound)) fail(kNoMemory);
}

}  // namespace

int main(int argc, char** argv) { return runMatchingSolver(argc, argv, G, setUp, bim); }
