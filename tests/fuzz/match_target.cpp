// Fuzz target of match: the whole run on the input (reading, Match, the
// listing of the matching and the check), with the listing written to a
// memory file. A run must end with status 255 through one of the reader's
// Barf messages, or with status 0, nothing but the report line on standard
// output and a listing that the verifier finds valid and maximum in the
// graph held in the tables.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "problem_text.h"
#include "tables.h"
#include "verifier.h"

namespace {

// What Barf was given, and the pieces Alloc handed out in the current run.
std::string barfMessage;
std::vector<std::unique_ptr<char[]>> pieces;
size_t allocated = 0;
constexpr size_t kSpace = size_t{256} << 20;

// The tables U and V, the first two pieces of every run: kept from run to
// run, since Init_U and Init_V clear them anyway.
std::unique_ptr<UTable> tableU(new UTable);
std::unique_ptr<VTable> tableV(new VTable);
int tablesGiven = 0;  // 0, 1 or 2: which table Alloc hands out next
// The output file the run opened: a run ended by Barf leaves it open, as the
// process would have exited.
FILE* opened = nullptr;

}  // namespace

// The link wraps Barf and Alloc: Barf's message is kept for the check, and
// Alloc takes memory that is given back after every run, as the real one
// gives up at the end of the process.
extern "C" [[noreturn]] void __wrap__Z4BarfPKc(const char* msg) {
  barfMessage = msg;
  throw ProgramExit{255};
}
extern "C" void* __wrap__Z5Alloci(int n) {
  if (tablesGiven < 2) return tablesGiven++ == 0 ? static_cast<void*>(tableU.get()) : tableV.get();
  allocated += static_cast<size_t>(n);
  if (allocated > kSpace) __wrap__Z4BarfPKc("Out of space");
  pieces.emplace_back(new char[static_cast<size_t>(n)]);
  return pieces.back().get();
}

extern "C" FILE* __real_fopen(const char* path, const char* mode);
extern "C" FILE* __wrap_fopen(const char* path, const char* mode) {
  opened = __real_fopen(path, mode);
  return opened;
}

namespace {

const std::vector<std::string> kBarfMessages = {
    "No problem line in InputBipartiteGraph",     "Bad problem line in InputBipartiteGraph",
    "Vertex out of range in InputBipartiteGraph", "Unexpected case in InputBipartiteGraph\n",
    "Read error in InputBipartiteGraph",          "Out of space"};

verifier::Bipartite tableGraph(const UTable& U, const VTable& V) {
  verifier::Bipartite g{U.nU, V.nV, {}};
  for (int u = 1; u <= U.nU; ++u)
    for (const Edge* e = U.vertex[u].first; e != nullptr; e = e->next)
      g.edges.emplace_back(u, e->v);
  return g;
}

std::string listingOf(int fd) {
  std::string text(lseek(fd, 0, SEEK_END), '\0');
  if (pread(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) std::abort();
  return text;
}

void checkRun(const Outcome& outcome, int listing) {
  const ReportFigures report =
      readReportLine(outcome, outcome.out, "%8lld %8lld %8lld %11lld %11lld %11.2f\n",
                     "malformed report line or a check message");
  verifier::Bipartite g = tableGraph(*tableU, *tableV);
  std::vector<verifier::Pair> pairs;
  try {
    pairs = verifier::readMatchListing(verifier::TextFile("listing", listingOf(listing)), g);
  } catch (const verifier::InputFault& fault) {
    finding("bad listing: " + fault.message, outcome);
  }
  if (static_cast<long>(pairs.size()) != report.result) finding("listing and size differ", outcome);
  std::string fault = verifier::checkMatching(g, pairs);
  if (!fault.empty()) finding("listing: " + fault, outcome);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int listing = memfd_create("match-listing", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(listing);
  Outcome outcome = runProgram(programMain, {"match", path}, data, size);
  if (outcome.status == 255) {
    bool unexpectedCase = barfMessage == kBarfMessages[3];
    bool printed = outcome.out.rfind("first char in a line = ", 0) == 0 &&
                   outcome.out.size() == 25 && outcome.out.back() == '\n';
    if (!isOneOf(barfMessage, kBarfMessages, "") || unexpectedCase != printed)
      finding("not a reader message: " + barfMessage, outcome);
  } else if (outcome.status == 0) {
    checkRun(outcome, listing);
  } else {
    finding("unexpected exit status", outcome);
  }
  if (outcome.status == 255 && opened != nullptr) std::fclose(opened);
  opened = nullptr;
  pieces.clear();
  allocated = 0;
  tablesGiven = 0;
  barfMessage.clear();
  return 0;
}
