#include "network_input.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "fail.h"
#include "fileio/edge_list.h"
#include "fileio/input_error.h"
#include "fileio/input_file.h"

namespace {

[[noreturn]] void Refuse(const std::string& message) { throw fileio::InputRefusal{message}; }

// An edge list as a unit network: its terminals named by the options.
ReadNetwork ReadEdgeList(fileio::InputFile& file, fileio::EdgeListOptions edges, long* offset) {
  edges.flow = true;
  fileio::Problem read = fileio::convertEdgeList(file.source(), edges);
  fileio::checkSolverLimits(read);
  for (const std::string& message : read.messages)
    std::fprintf(stderr, "fastflow: %s\n", message.c_str());
  ReadNetwork network;
  network.nodes = static_cast<int32_t>(read.nodes);
  network.source = static_cast<int32_t>(read.source);
  network.sink = static_cast<int32_t>(read.sink);
  network.tails.reserve(read.edges.size());
  network.heads.reserve(read.edges.size());
  for (const fileio::Edge& e : read.edges) {
    network.tails.push_back(static_cast<int32_t>(e.tail));
    network.heads.push_back(static_cast<int32_t>(e.head));
  }
  *offset = read.base;
  return network;
}

ReadNetwork ReadAny(const NetworkInput& input, long* offset) {
  fileio::InputFile file(input.path, input.options.format);
  const std::string path = fileio::shownPath(input.path);
  if (file.format() == fileio::Format::kMatrixMarket)
    Refuse(path + ": a Matrix Market file is a matching problem; fastmatch reads it");
  if (file.format() == fileio::Format::kEdgeList)
    return ReadEdgeList(file, input.options.edges, offset);
  if (fileio::edgeListOptionsGiven(input.options.edges))
    Refuse(path +
           ": a network file names its own terminals and numbering; --source, --sink, "
           "--super, --base and --undirected are for edge lists");
  // A fault met on the way (corrupt gzip data) is told here, and the reader
  // then stops with its reading error.
  FILE* in = file.stream(
      [](const std::string& fault) { std::fprintf(stderr, "fastflow: %s\n", fault.c_str()); });
  if (in == nullptr) Refuse("cannot read " + fileio::shownPath(input.path));
  return readNetwork(in, *offset, input.unit);
}

// Reads the network into `network`, or says what stopped it; false then.
// Nothing of the reading is left when it returns, so that the program may
// end at once.
bool ReadOrSay(const NetworkInput& input, long* offset, ReadNetwork* network, bool* no_memory) {
  std::string fault;
  try {
    fault = fileio::faultOf([&] { *network = ReadAny(input, offset); }, input.path);
  } catch (const std::bad_alloc&) {
    *no_memory = true;
    return false;
  }
  if (!fault.empty()) std::fprintf(stderr, "fastflow: %s\n", fault.c_str());
  return fault.empty();
}

}  // namespace

ReadNetwork ReadNetworkInput(const NetworkInput& input, long* offset) {
  ReadNetwork network;
  bool no_memory = false;
  if (ReadOrSay(input, offset, &network, &no_memory)) return network;
  if (no_memory) fail(kNoMemory);
  std::exit(1);
}
