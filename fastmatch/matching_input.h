// fastmatch's input in every format it reads: the suite's problem files
// through its own fast reader, Matrix Market files and edge lists through
// the fileio readers; plain or gzip, a file or standard input, the format
// told by content unless named.
#pragma once

#include <string>

#include "fileio/input_options.h"
#include "matching_problem.h"

struct MatchingInput {
  std::string path = "-";  // "-": standard input
  fileio::InputOptions options;
  std::string map;  // -m: a file of the vertices' names; empty when none
};

// Reads the problem. A fault of the suite's format prints the matching
// programs' message on standard output, any other "fastmatch: FILE:LINE:
// what" on standard error; both exit with status 1.
void ReadMatchingInput(const MatchingInput& input, MatchingProblemFile* problem);
