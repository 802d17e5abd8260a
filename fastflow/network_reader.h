// The max-flow input read into the arc arrays of a fast::FlowNetwork.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "fastcore/max_flow.h"

// A "max" or "unit-flow" network as read: arc i of the input runs from
// tails[i] to heads[i] with capacity capacities[i], node ids counted from 0
// (the file's numbers minus the label offset). `capacities` is empty when
// every arc counts as one unit: in a "unit-flow" network, or when the
// reader was asked to take every arc as one unit.
struct ReadNetwork {
  int32_t nodes = 0;
  int32_t source = -1;
  int32_t sink = -1;
  std::vector<int32_t> tails;
  std::vector<int32_t> heads;
  std::vector<int64_t> capacities;

  fast::FlowNetwork view() const {
    return fast::FlowNetwork{nodes,
                             int64_t(tails.size()),
                             tails.data(),
                             heads.data(),
                             capacities.empty() ? nullptr : capacities.data(),
                             source,
                             sink};
  }
};

// Reads the network from `in` with node numbers starting at `offset`; with
// `unit`, every arc counts as one unit whatever its capacity, as in the
// unit-flow programs. The input is accepted and refused exactly as the
// unit-flow programs do, and with capacities a capacity must be a whole
// number in 0 ... 2^62: an error prints the message and a newline on
// standard output and exits with status 1.
ReadNetwork readNetwork(FILE* in, long offset, bool unit);
