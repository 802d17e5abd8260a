// genbip: bipartite matching problems of several families, or their
// matching-reduction networks.
#include "bipartite_families.h"
#include "generator_main.h"
#include "vertex_order.h"

namespace {

GeneratorSpec genbipSpec() {
  GeneratorSpec spec{
      "genbip",
      "Writes a random bipartite matching problem of the chosen family to standard\n"
      "output, deterministically for a given seed.",
      {},
      {{"reduction",
        "write the matching reduction instead: a unit-capacity max network with\n"
        "                source 1, the first side, the second side, and sink last"},
       {"shuffle", "renumber both sides at random and write the edges in random order"},
       {"order",
        "write the vertices in order WORD: random (as --shuffle), breadth-first,\n"
        "                degree (increasing) or reversed",
        vertexOrderNames()}}};
  for (const BipartiteFamily& family : bipartiteFamilies()) spec.families.push_back(&family.spec);
  return spec;
}

Problem build(const Request& request, Random& random) {
  for (const BipartiteFamily& family : bipartiteFamilies()) {
    if (&family.spec != request.family) continue;
    std::string order = request.word("order");
    if (request.has("shuffle")) {
      if (!order.empty() && order != "random") {
        throw UsageError("--shuffle is --order random; give one order");
      }
      order = "random";
    }
    Bipartite graph = family.make(request.parameters, random);
    if (!order.empty()) reorder(graph, order, random);
    if (request.has("reduction")) return matchingReduction(graph);
    return graph;
  }
  throw UsageError("unknown family");
}

}  // namespace

int main(int argc, char** argv) { return runGenerator(genbipSpec(), argc, argv, build); }
