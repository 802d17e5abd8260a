// Writes a converted problem in the suite's formats: "p bipartite-matching
// N1 N2 M" with lines "a U V", or "p max N M" with its two node lines and
// lines "a U V 1". Numbers in the output count from 1.
#pragma once

#include <string>
#include <vector>

#include "fileio/problem.h"
#include "output.h"

// `header` comes first, one comment line each, then the problem's notes,
// then, when asked, its name table as "c name SIDE ID NAME" lines.
void writeProblem(Output& out, const std::vector<std::string>& header,
                  const fileio::Problem& problem, bool nameComments);
