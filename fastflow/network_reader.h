// The unit-flow input read into the arc arrays of a fast::UnitNetwork.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "fastcore/unit_flow.h"

// A "max" or "unit-flow" network as read: arc i of the input runs from
// tails[i] to heads[i], node ids counted from 0 (the file's numbers minus
// the label offset); every capacity is taken as 1.
struct ReadNetwork {
  int32_t nodes = 0;
  int32_t source = -1;
  int32_t sink = -1;
  std::vector<int32_t> tails;
  std::vector<int32_t> heads;

  fast::UnitNetwork view() const {
    return fast::UnitNetwork{nodes, int64_t(tails.size()), tails.data(), heads.data(), source,
                             sink};
  }
};

// Reads the network from `in` with node numbers starting at `offset`. The
// input is accepted and refused exactly as the unit-flow programs do: an
// error prints their message and a newline on standard output and exits with
// status 1.
ReadNetwork readNetwork(FILE* in, long offset);
