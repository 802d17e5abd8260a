// Fuzz target of the fileio readers: the input as a file, read by each
// reader under a few sets of options, and taken whole through InputFile as
// the fast programs take it. A reader must end in an InputError, the memory
// refusal (std::bad_alloc) or a problem whose every edge, terminal and name
// lies within its sizes; InputFile's stream must give back plain text byte
// for byte, through a regular file and through a pipe.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "fileio/dimacs.h"
#include "fileio/edge_list.h"
#include "fileio/input_error.h"
#include "fileio/input_file.h"
#include "fileio/matrix_market.h"

namespace {

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "FINDING: %s\n", what.c_str());
  std::abort();
}

void checkProblem(const fileio::Problem& p) {
  const std::uint64_t tails = p.isNetwork ? p.nodes : p.left;
  const std::uint64_t heads = p.isNetwork ? p.nodes : p.right;
  for (const fileio::Edge& e : p.edges)
    if (e.tail >= tails || e.head >= heads) finding("an edge beyond the problem's sizes");
  if (p.isNetwork && (p.source >= p.nodes || p.sink >= p.nodes || p.source == p.sink))
    finding("terminals beyond the network, or one node");
  const fileio::VertexNames& n = p.names;
  if (!n.empty() && (p.isNetwork ? n.first.size() > p.nodes
                                 : n.first.size() != p.left || n.second.size() != p.right))
    finding("a name table that does not fit the problem");
  try {
    fileio::checkSolverLimits(p);
  } catch (const fileio::InputError&) {
  }
}

template <class Read>
void read(const std::string& path, Read reader) {
  try {
    fileio::Source source(path);
    checkProblem(reader(source));
  } catch (const fileio::InputError&) {
  } catch (const std::bad_alloc&) {
  } catch (const fileio::SystemError& error) {
    finding(std::string("a system error: ") + error.what());
  }
}

// Each reader, under options drawn from the input (a reader opens a
// source of its own, whose buffers cost the sanitizers more than the
// reading does).
void readAll(const std::string& path, const std::string& data) {
  const unsigned draw = data.empty() ? 0 : static_cast<unsigned char>(data.back());
  const fileio::MatrixMarketOptions matrix{(draw & 1) != 0, (draw & 2) != 0};
  read(path, [&](fileio::Source& s) { return fileio::convertMatrixMarket(s, matrix); });
  read(path, [](fileio::Source& s) { return fileio::convertDimacs(s); });
  std::vector<fileio::EdgeListOptions> lists(6);
  lists[1].names = true;
  lists[2].flow = lists[2].undirected = true;
  lists[2].superTerminals = 2;
  lists[3].flow = true;
  lists[3].source = "1";
  lists[3].sink = "2";
  lists[4].names = lists[4].flow = true;
  lists[4].source = "a";
  lists[4].sink = "b";
  lists[5].base = 0;
  lists[5].undirected = true;
  const fileio::EdgeListOptions& options = lists[draw % lists.size()];
  read(path, [&](fileio::Source& s) { return fileio::convertEdgeList(s, options); });
}

// The text InputFile's stream gives, after the look at the start.
std::string streamed(const std::string& path) {
  fileio::InputFile file(path, fileio::Format::kAuto);
  if (file.format() == fileio::Format::kProblem) file.leadingNames();
  FILE* in = file.stream([](const std::string&) {});
  if (in == nullptr) finding("no stream");
  std::string text;
  char block[4096];
  for (size_t got; (got = std::fread(block, 1, sizeof block, in)) > 0;) text.append(block, got);
  return text;
}

void checkStream(const std::string& path, const std::string& data) {
  try {
    if (streamed(path) != data) finding("the stream differs from the file");
  } catch (const fileio::InputError&) {
    // A compressed or unreadable start, or a name line out of order.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int file = memfd_create("fuzz-fileio", 0);
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != static_cast<ssize_t>(size))
    std::abort();
  const std::string path = "/proc/self/fd/" + std::to_string(file);
  readAll(path, text);
  const bool compressed = size >= 2 && data[0] == 0x1f && data[1] == 0x8b;
  if (compressed) return 0;
  checkStream(path, text);
  // A pipe, which cannot seek, goes through the stream's own reads.
  int ends[2];
  if (size >= 65536 || pipe(ends) != 0) return 0;
  if (write(ends[1], data, size) != static_cast<ssize_t>(size)) std::abort();
  close(ends[1]);
  checkStream("/proc/self/fd/" + std::to_string(ends[0]), text);
  close(ends[0]);
  return 0;
}
