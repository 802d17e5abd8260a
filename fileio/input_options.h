// The options about their input that the programs reading problem files
// share: the format, and how an edge list is to be read.
#pragma once

#include <string>
#include <string_view>

#include "fileio/edge_list.h"
#include "fileio/input_format.h"

namespace fileio {

struct InputOptions {
  Format format = Format::kAuto;
  EdgeListOptions edges;
};

// Takes one option into `options`: "--format NAME"; for edge lists "--base
// 0|1", "--names", "--undirected", and, for a network, "--source S",
// "--sink T" and "--super K". `value` is the option's argument, null for a flag. Returns
// what is wrong with it, empty when it was taken.
std::string setInputOption(std::string_view name, const char* value, InputOptions& options);

// Whether any edge-list option was given: they are refused for a file of
// another format rather than ignored.
bool edgeListOptionsGiven(const EdgeListOptions& options);

}  // namespace fileio
