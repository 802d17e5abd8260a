#include "matching_input.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "fail.h"
#include "fileio/input_error.h"
#include "fileio/input_file.h"
#include "fileio/matrix_market.h"

namespace {

[[noreturn]] void Refuse(const std::string& message) { throw fileio::InputRefusal{message}; }

// Matrix Market files and edge lists, through the fileio readers.
void ReadOtherFormat(fileio::InputFile& file, const fileio::EdgeListOptions& edges,
                     MatchingProblemFile* problem) {
  fileio::Problem read = file.format() == fileio::Format::kMatrixMarket
                             ? fileio::convertMatrixMarket(file.source(), {})
                             : fileio::convertEdgeList(file.source(), edges);
  fileio::checkSolverLimits(read);
  for (const std::string& message : read.messages)
    std::fprintf(stderr, "fastmatch: %s\n", message.c_str());
  BuildMatchingProblem(read, problem);
}

// Whether every row and column has a name in `names`.
bool NamesFit(const MatchingProblemFile& p, const fileio::VertexNames& names) {
  const bool network = !p.row_nodes.empty() || !p.col_nodes.empty();
  if (names.network != network) return false;
  if (!network)
    return names.first.size() == size_t(p.rows) && names.second.size() == size_t(p.cols);
  for (const std::vector<int32_t>* nodes : {&p.row_nodes, &p.col_nodes})
    for (int32_t node : *nodes)
      if (size_t(node) > names.first.size()) return false;
  return true;
}

fileio::VertexNames ReadNameTable(const std::string& path) {
  fileio::VertexNames names;
  const std::string fault = fileio::faultOf([&] { names = fileio::readNameTable(path); }, path);
  if (!fault.empty()) Refuse(fault);
  return names;
}

void ReadAny(const MatchingInput& input, MatchingProblemFile* problem) {
  fileio::Format format = input.options.format;
  if (format == fileio::Format::kAuto && input.options.edges.names)
    format = fileio::Format::kEdgeList;
  fileio::InputFile file(input.path, format);
  if (file.format() != fileio::Format::kEdgeList &&
      fileio::edgeListOptionsGiven(input.options.edges))
    Refuse(fileio::shownPath(input.path) + ": --base, --names and --undirected are for edge lists");
  fileio::VertexNames names;
  if (file.format() == fileio::Format::kProblem) {
    names = file.leadingNames();
    // A fault met on the way (corrupt gzip data) is told here, and the
    // reader then stops with its reading error.
    FILE* in = file.stream(
        [](const std::string& fault) { std::fprintf(stderr, "fastmatch: %s\n", fault.c_str()); });
    if (in == nullptr) Refuse("cannot read " + fileio::shownPath(input.path));
    ReadMatchingProblem(in, problem);
  } else {
    ReadOtherFormat(file, input.options.edges, problem);
  }
  if (!input.map.empty()) names = ReadNameTable(input.map);
  if (names.empty()) return;
  if (!NamesFit(*problem, names))
    Refuse("the name table does not fit the problem: some vertex has no name");
  problem->names = std::move(names);
}

// Reads the problem, or says what stopped it; false then. Nothing of the
// reading is left when it returns, so that the program may end at once.
bool ReadOrSay(const MatchingInput& input, MatchingProblemFile* problem, bool* no_memory) {
  std::string fault;
  try {
    fault = fileio::faultOf([&] { ReadAny(input, problem); }, input.path);
  } catch (const std::bad_alloc&) {
    *no_memory = true;
    return false;
  }
  if (!fault.empty()) std::fprintf(stderr, "fastmatch: %s\n", fault.c_str());
  return fault.empty();
}

}  // namespace

void ReadMatchingInput(const MatchingInput& input, MatchingProblemFile* problem) {
  bool no_memory = false;
  if (ReadOrSay(input, problem, &no_memory)) return;
  if (no_memory) fail(kNoMemory);
  std::exit(1);
}
