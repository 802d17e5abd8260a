// gennet: unit-capacity maximum-flow networks of several families.
#include "generator_main.h"
#include "network_families.h"

namespace {

GeneratorSpec gennetSpec() {
  GeneratorSpec spec{"gennet",
                     "Writes a random unit-capacity max network (source 1, sink the last node)\n"
                     "of the chosen family to standard output, deterministically for a given seed.",
                     {},
                     {}};
  for (const NetworkFamily& family : networkFamilies()) spec.families.push_back(&family.spec);
  return spec;
}

Problem build(const Request& request, Random& random) {
  for (const NetworkFamily& family : networkFamilies()) {
    if (&family.spec == request.family) return family.make(request.parameters, random);
  }
  throw UsageError("unknown family");
}

}  // namespace

int main(int argc, char** argv) { return runGenerator(gennetSpec(), argc, argv, build); }
