// fastflow's input in every format it reads: the suite's networks through
// its network reader (the unit-flow programs' line protocol, capacities
// kept), edge lists through the fileio reader (every arc one unit); plain
// or gzip, a file or standard input, the format told by content unless
// named.
#pragma once

#include <string>

#include "fileio/input_options.h"
#include "network_reader.h"

struct NetworkInput {
  std::string path = "-";  // "-": standard input
  fileio::InputOptions options;
  bool unit = false;  // --unit: every arc one unit, whatever its capacity
};

// Reads the network. A network file's node numbers start at `*offset`; an
// edge list keeps the numbering it has (from 0 or 1), which becomes
// `*offset`. A fault of a network file prints the unit-flow programs'
// message and a newline on standard output, any other "fastflow:
// FILE:LINE: what" on standard error; both exit with status 1.
ReadNetwork ReadNetworkInput(const NetworkInput& input, long* offset);
