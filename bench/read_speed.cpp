// Times the problem readers alone, without a solver.
//
// Usage: read-speed matching|unitflow|match FILE
//
// Prints two wall-clock figures in seconds: "scan", the input split into
// lines or tokens and every number converted, nothing stored; and "read",
// the reader proper, arrays allocated and lists built as a program does
// before it solves. Each run is a fresh process, as a program's is; the
// caller repeats it and keeps the best (bench/reading-benchmark does).

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "field_scanner.h"
#include "flow_reader.h"
#include "io.h"
#include "line_input.h"
#include "matching_reader.h"
#include "run_state.h"
#include "utility.h"

const char* const messageEnd = "";

namespace {

// A node record of the size of augrelabel's.
struct BenchNode : node_basic_data<BenchNode*> {
  BenchNode* parent;
  int32_t label;
  int32_t visited;
  BenchNode* mate;
};

double now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

FILE* openOrDie(const char* path) {
  FILE* in = std::fopen(path, "r");
  if (in == nullptr) {
    std::perror(path);
    std::exit(2);
  }
  return in;
}

// The line readers' scan: every arc line's numbers converted.
long scanLines(const char* path) {
  FILE* in = openOrDie(path);
  LineInput lines(in);
  long sum = 0;
  while (const char* line = lines.next()) {
    if (line[0] != 'a') continue;
    long tail = 0, head = 0, capacity = 0;
    sum += scanArcLine(line, tail, head, capacity) + tail + head + capacity;
  }
  std::fclose(in);
  return sum;
}

// match's scan: its token loop with the edges dropped.
long scanTokens(const char* path) {
  FILE* in = openOrDie(path);
  std::setvbuf(in, nullptr, _IOFBF, std::size_t{1} << 16);
  long sum = 0;
  char word[100];
  while (!EOF_Test(in)) {
    switch (ReadChar(in)) {
      case 'c':
        SkipLine(in);
        break;
      case 'p':
        GetString(in, word, sizeof word);
        sum += GetInt(in) + GetInt(in) + GetInt(in);
        break;
      default:
        sum += GetInt(in) + GetInt(in);
    }
  }
  std::fclose(in);
  return sum;
}

long readMatching(const char* path) {
  FILE* in = openOrDie(path);
  graph<BenchNode> G;
  parse(G, in);
  std::fclose(in);
  return G.m;
}

long readUnitflow(const char* path) {
  FILE* in = openOrDie(path);
  FlowGraph G;
  parse(G, in);
  std::fclose(in);
  return G.m;
}

long readMatch(const char* path) {
  FILE* in = openOrDie(path);
  std::setvbuf(in, nullptr, _IOFBF, std::size_t{1} << 16);
  UTable& U = *new (Alloc(sizeof(UTable))) UTable;
  VTable& V = *new (Alloc(sizeof(VTable))) VTable;
  InputBipartiteGraph(in, U, V);
  std::fclose(in);
  return U.nE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "matching") != 0 &&
                    std::strcmp(argv[1], "unitflow") != 0 && std::strcmp(argv[1], "match") != 0)) {
    std::fprintf(stderr, "usage: read-speed matching|unitflow|match FILE\n");
    return 2;
  }
  const char* reader = argv[1];
  const char* path = argv[2];
  bool isMatch = std::strcmp(reader, "match") == 0;
  double start = now();
  long check = isMatch ? scanTokens(path) : scanLines(path);
  double scanned = now();
  if (isMatch)
    check += readMatch(path);
  else if (std::strcmp(reader, "matching") == 0)
    check += readMatching(path);
  else
    check += readUnitflow(path);
  double read = now();
  std::printf("scan %.3f read %.3f check %ld\n", scanned - start, read - scanned, check);
  return 0;
}
