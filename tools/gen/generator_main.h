// The course of a generator run: parse the command line, build the problem,
// then write the comment header and the problem to standard output.
#pragma once

#include <variant>

#include "command_line.h"
#include "problem.h"
#include "random.h"

using Problem = std::variant<Bipartite, Network>;
using BuildProblem = Problem (*)(const Request& request, Random& random);

// Returns the exit status: 0 after writing the problem or the help text, 2
// after a usage error.
int runGenerator(const GeneratorSpec& spec, int argc, char** argv, BuildProblem build);
