// The unit-capacity network families of gennet.
#pragma once

#include <vector>

#include "command_line.h"
#include "problem.h"
#include "random.h"

struct NetworkFamily {
  FamilySpec spec;
  Network (*make)(const Parameters& parameters, Random& random);
};

const std::vector<NetworkFamily>& networkFamilies();

// The `layered` family's network, built from its options --layers, --width
// and --degree.
Network layered(const Parameters& parameters, Random& random);
