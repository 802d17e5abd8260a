// gennet: maximum-flow networks of several families, unit or capacitated.
#include "capacitated_families.h"
#include "generator_main.h"
#include "network_families.h"

namespace {

std::vector<const NetworkFamily*> allFamilies() {
  std::vector<const NetworkFamily*> all;
  for (const NetworkFamily& family : networkFamilies()) all.push_back(&family);
  for (const NetworkFamily& family : capacitatedFamilies()) all.push_back(&family);
  return all;
}

GeneratorSpec gennetSpec() {
  GeneratorSpec spec{
      "gennet",
      "Writes a random max network (source 1, sink the last node) of the chosen family\n"
      "to standard output, deterministically for a given seed. The first three\n"
      "families have unit capacities; the others draw capacities from a range.",
      {},
      {{"unit", "write capacity 1 on every arc (the same network otherwise)"}}};
  for (const NetworkFamily* family : allFamilies()) spec.families.push_back(&family->spec);
  return spec;
}

Problem build(const Request& request, Random& random) {
  for (const NetworkFamily* family : allFamilies()) {
    if (&family->spec != request.family) continue;
    Network network = family->make(request.parameters, random);
    if (request.has("unit")) network.capacities.clear();
    checkTerminalTotals(network);
    return network;
  }
  throw UsageError("unknown family");
}

}  // namespace

int main(int argc, char** argv) { return runGenerator(gennetSpec(), argc, argv, build); }
