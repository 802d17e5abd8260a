// The capacitated network families of gennet, after the test sets of the
// maximum-flow literature. Each draws its capacities from the range its
// --min-capacity and --max-capacity options give.
#pragma once

#include <vector>

#include "network_families.h"

const std::vector<NetworkFamily>& capacitatedFamilies();
