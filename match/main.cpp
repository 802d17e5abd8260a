// match: reads a bipartite matching problem from standard input, computes a
// maximum matching, optionally lists it in a file, verifies it and prints
// one report line.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>

#include "dfs.h"
#include "fp.h"
#include "io.h"
#include "utility.h"

namespace {

double Runtime;  // user CPU seconds spent in Match

double UserSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1000000.0;
}

// True when `name` is the file standard input reads: opening it for writing
// would empty the problem before it is read.
bool IsStandardInput(const char* name) {
  struct stat input, output;
  if (fstat(STDIN_FILENO, &input) != 0 || stat(name, &output) != 0) return false;
  return input.st_dev == output.st_dev && input.st_ino == output.st_ino;
}

// The output file named on the command line, created before any input is
// read; null when none is named. A name starting with '-' is taken for an
// option such as -h, which match does not have; ./-h names such a file.
FILE* OpenOutput(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && argv[1][0] == '-')) Barf("Usage: match <input [<output file>]");
  if (argc < 2) return nullptr;
  if (IsStandardInput(argv[1])) Barf("Output file is the standard input");
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) Barf("Could not open output file");
  return out;
}

void WriteMatching(FILE* out, const UTable& U, const VTable& V) {
  OutputMatching(out, U, V);
  const bool failed = std::ferror(out) != 0;
  if (std::fclose(out) != 0 || failed) Barf("Could not write output file");
}

}  // namespace

int main(int argc, char** argv) {
  FILE* out = OpenOutput(argc, argv);
  UTable& U = *new (Alloc(sizeof(UTable))) UTable;
  VTable& V = *new (Alloc(sizeof(VTable))) VTable;
  // Problems run to hundreds of megabytes: read them in large blocks.
  std::setvbuf(stdin, nullptr, _IOFBF, std::size_t{1} << 16);
  InputBipartiteGraph(stdin, U, V);

  // Single precision is ample for a start reading taken right after input.
  const float start = static_cast<float>(UserSeconds());
  Match(U, V);
  Runtime = UserSeconds() - start;

  const int size = MeasureMatching(U, V);
  if (out != nullptr) WriteMatching(out, U, V);
  CheckMatching(U, V);
  std::printf("%8ld %8ld %8ld %11ld %11ld %11.2f\n", static_cast<long>(U.nU + V.nV),
              static_cast<long>(U.nE), static_cast<long>(size), static_cast<long>(eex),
              static_cast<long>(nBacks), Runtime);
  return 0;
}
