// What a run of distmatch may ask of its machines, checked before anything
// large is started or allocated: the launcher checks the rank count, the
// ranks together their shares of the problem.
#pragma once

#include <mpi.h>

#include <cstdint>
#include <string>

#include "problem_text.h"

// "" when `ranks` ranks may start on this machine for a problem with
// `header` (null when it could not be read; the ranks then say why): no
// more than the process limit allows, than memory holds at a rank's fixed
// cost, or than the larger side has vertices for the row and column blocks
// of their square grid. Else why not.
std::string refusedRankCount(int ranks, const ProblemHeader* header);

// Collective: whether every rank's share of the problem, at most
// `fileBytes` long, fits in the memory of its machine, with the ranks that
// share that machine holding theirs too.
bool sharesAffordable(const ProblemHeader& header, int64_t fileBytes, MPI_Comm comm);
