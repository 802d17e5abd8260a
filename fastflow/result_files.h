// fastflow's result files, written through the safe writer: whole or not
// at all, never over what the target is. Node numbers start at `offset`.
#pragma once

#include <string>

#include "fastcore/unit_flow.h"
#include "network_reader.h"

// "c flow value F", then "U V" for every arc carrying flow, in input
// order. An empty string on success, else why the file could not be
// written.
std::string WriteFlowFile(const std::string& path, const ReadNetwork& network,
                          const fast::UnitMaxFlow& flow, long offset);

// "c minimum cut capacity F", "c source side", then "S" for every node on
// the source side of a minimum cut.
std::string WriteCutFile(const std::string& path, const fast::UnitMaxFlow& flow, long offset);
