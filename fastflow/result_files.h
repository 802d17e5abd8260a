// fastflow's result files, written through the safe writer: whole or not
// at all, never over what the target is. Node numbers start at `offset`.
#pragma once

#include <string>

#include "fastcore/max_flow.h"
#include "network_reader.h"

// "c flow value F", then "U V X" for every arc carrying X > 0, in input
// order; when every arc counted as one unit (no capacities were read), a
// second comment line says so and the lines are "U V". An empty string on
// success, else why the file could not be written.
std::string WriteFlowFile(const std::string& path, const ReadNetwork& network,
                          const fast::MaxFlow& flow, long offset);

// "c minimum cut capacity F", "c source side", then "S" for every node on
// the source side of a minimum cut.
std::string WriteCutFile(const std::string& path, const fast::MaxFlow& flow, long offset);
