#include "problem_file.h"

#include <sys/stat.h>

#include <new>

#include "fileio/edge_list.h"
#include "fileio/input_error.h"
#include "fileio/input_file.h"
#include "fileio/matrix_market.h"
#include "memory_budget.h"

namespace verifier {

namespace {

// Runs `read` with the fileio readers' faults made the verifier's.
template <class Read>
auto judged(const std::string& path, Read read) {
  try {
    return read();
  } catch (const fileio::InputError& error) {
    throw InputFault{InputFault::Kind::kMalformed, fileio::describe(error, path)};
  } catch (const fileio::SystemError& error) {
    throw InputFault{InputFault::Kind::kMalformed, error.what()};
  } catch (const std::bad_alloc&) {
    throw InputFault{InputFault::Kind::kMemory, path + ": more than the memory budget"};
  }
}

// Whether `path` cannot be read as a problem (missing, a folder): then
// TextFile::Read says why, with the messages the verifier gives.
bool readAsText(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode);
}

// The whole text of a file of the suite's format: a regular file read again
// by TextFile, gzip inflated, a pipe taken on from what the look at its
// start read.
TextFile suiteText(fileio::InputFile& file, const std::string& path) {
  fileio::Source& source = file.source();
  struct stat status;
  if (!source.compressed() && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
    return TextFile::Read(path);
  std::string text;
  char block[1 << 16];
  for (size_t got; (got = source.read(block, sizeof block)) > 0; text.append(block, got)) {
    if (!affordable(text.size() + got)) {
      throw InputFault{InputFault::Kind::kMemory, path + ": longer than the memory budget of " +
                                                      std::to_string(memoryBudget()) + " bytes"};
    }
  }
  return TextFile(path, std::move(text));
}

Bipartite fromProblem(const fileio::Problem& read, const std::string& path,
                      VertexNumbers* numbers) {
  // A few bytes of text can name a vertex in the millions.
  CheckAffordable(path, int64_t(read.left + read.right), int64_t(read.edges.size()));
  Bipartite g{int64_t(read.left), int64_t(read.right), {}};
  g.edges.reserve(read.edges.size());
  for (const fileio::Edge& e : read.edges) g.edges.push_back({e.tail + 1LL, e.head + 1LL});
  if (numbers != nullptr) {
    numbers->left.resize(size_t(g.left));
    numbers->right.resize(size_t(g.right));
    for (int64_t u = 0; u < g.left; ++u) numbers->left[size_t(u)] = u + read.base;
    for (int64_t v = 0; v < g.right; ++v) numbers->right[size_t(v)] = v + read.base;
  }
  return g;
}

}  // namespace

Bipartite readBipartiteFile(const std::string& path, VertexNumbers* numbers) {
  if (readAsText(path)) return readBipartite(TextFile::Read(path), numbers);
  return judged(path, [&] {
    fileio::InputFile file(path, fileio::Format::kAuto);
    switch (file.format()) {
      case fileio::Format::kMatrixMarket:
        return fromProblem(fileio::convertMatrixMarket(file.source(), {}), path, numbers);
      case fileio::Format::kEdgeList:
        return fromProblem(fileio::convertEdgeList(file.source(), {}), path, numbers);
      default:
        return readBipartite(suiteText(file, path), numbers);
    }
  });
}

Network readNetworkFile(const std::string& path, int64_t offset, Capacities capacities) {
  if (readAsText(path)) return readNetwork(TextFile::Read(path), offset, capacities);
  return judged(path, [&] {
    fileio::InputFile file(path, fileio::Format::kAuto);
    if (file.format() != fileio::Format::kProblem) {
      throw InputFault{InputFault::Kind::kMalformed,
                       path +
                           ": networks are read in the suite's format only (toproblem "
                           "edges --flow writes an edge list as one)"};
    }
    return readNetwork(suiteText(file, path), offset, capacities);
  });
}

}  // namespace verifier
