// Starting distmatch: under an MPI launcher it is one rank of the run; run
// on its own it starts mpirun with itself, so that `distmatch -np 4 < FILE`
// works on one machine without the launcher's flags in the user's head.
#pragma once

#include <string>
#include <vector>

#include "problem_text.h"

// True when an MPI launcher (mpirun, srun) started this process.
bool startedByLauncher();

// The runtime settings that the Debian Combinatorial BLAS and Open MPI need,
// put in the environment before MPI starts unless the user chose otherwise:
// one OpenMP thread per rank, yielding instead of busy polling while a rank
// waits (ranks outnumber cores on a workstation), and the point-to-point
// one-sided component, without which a single rank aborts creating a window.
void settleRuntime();

// CombBLAS lays the ranks out in a square grid.
bool isSquare(int ranks);

// Replaces this process by mpirun running `ranks` copies of this program
// with `arguments`. Returns only on failure, with the reason.
std::string relaunch(int ranks, const std::vector<std::string>& arguments);

// The file standard input reads from, when it is a regular file; else "".
std::string standardInputPath();

// The header of the problem in `path`, read as the ranks read it; false
// when the file cannot be read or its header is faulty (the ranks then say
// why).
bool readProblemHeader(const std::string& path, ProblemHeader& header);
