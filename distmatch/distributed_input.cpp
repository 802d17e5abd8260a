#include "distributed_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "fail.h"
#include "fileio/compression.h"
#include "line_range.h"
#include "network_shape.h"
#include "run_limits.h"

namespace {

constexpr int64_t kNowhere = std::numeric_limits<int64_t>::max();

int64_t allMin(int64_t value, MPI_Comm comm) {
  int64_t result;
  MPI_Allreduce(&value, &result, 1, MPI_INT64_T, MPI_MIN, comm);
  return result;
}

int64_t allSum(int64_t value, MPI_Comm comm) {
  int64_t result;
  MPI_Allreduce(&value, &result, 1, MPI_INT64_T, MPI_SUM, comm);
  return result;
}

// The sum over the ranks before this one.
int64_t sumBefore(int64_t value, MPI_Comm comm) {
  int64_t result = 0;
  MPI_Exscan(&value, &result, 1, MPI_INT64_T, MPI_SUM, comm);
  int rank;
  MPI_Comm_rank(comm, &rank);
  return rank == 0 ? 0 : result;  // MPI leaves rank 0's result undefined
}

// `text` as held by the lowest rank whose `offset` is the smallest.
std::string fromFirst(int64_t offset, const std::string& text, MPI_Comm comm) {
  int rank, size;
  MPI_Comm_rank(comm, &rank);
  MPI_Comm_size(comm, &size);
  int64_t first = allMin(offset, comm);
  int root = int(allMin(offset == first ? rank : size, comm));
  int64_t length = int64_t(text.size());
  MPI_Bcast(&length, 1, MPI_INT64_T, root, comm);
  std::string result = rank == root ? text : std::string(size_t(length), '\0');
  MPI_Bcast(result.data(), int(length), MPI_CHAR, root, comm);
  return result;
}

// A fault at a place in the file; the first one in file order wins.
struct Fault {
  int64_t offset = kNowhere;
  std::string message;
  void note(int64_t at, const char* text) {
    if (at < offset) offset = at, message = text;
  }
};

// This rank's byte range of the file and the reading state over it.
class RangeReader {
 public:
  RangeReader(int fd, int64_t fileSize, MPI_Comm comm) : fd(fd) {
    int rank, size;
    MPI_Comm_rank(comm, &rank);
    MPI_Comm_size(comm, &size);
    begin = fileSize / size * rank + std::min<int64_t>(rank, fileSize % size);
    end = begin + fileSize / size + (rank < fileSize % size ? 1 : 0);
  }

  // The first line of this range that is not blank, or kNowhere.
  int64_t firstContentLine(ProblemForm form, std::string& text) {
    LineRange lines(fd, begin, end);
    int64_t offset;
    while (const char* line = lines.next(offset)) {
      if (isBlankLine(form, line)) continue;
      text = line;
      return offset;
    }
    readError |= lines.failed();
    return kNowhere;
  }

  // Reads the lines after the header line into `graph` and the tallies.
  void readBody(int64_t headerOffset, const ProblemHeader& header, LocalGraph& graph);

  // The offset of this range's `k`-th line that adds an edge (1-based).
  int64_t offsetOfEdgeLine(int64_t headerOffset, const ProblemHeader& header, int64_t k);
  // Capacity warnings of the lines before `limit`.
  int64_t warningsBefore(int64_t headerOffset, const ProblemHeader& header, int64_t limit);

  int64_t begin = 0, end = 0;
  bool readError = false;
  Fault fault;              // the first fault of a single line in this range
  int64_t edgeLines = 0;    // edge lines before it
  int64_t warnings = 0;     // capacity warnings before it
  int64_t lastOffset = -1;  // the last line read
  std::vector<std::pair<int64_t, int64_t>> sources, sinks;  // (offset, node): the first two

 private:
  template <class Visit>
  void forBody(int64_t headerOffset, const ProblemHeader& header, Visit visit) {
    LineRange lines(fd, begin, end);
    int64_t offset;
    while (const char* line = lines.next(offset)) {
      if (offset <= headerOffset) continue;
      if (!visit(offset, readBodyLine(header, line))) return;
    }
    readError |= lines.failed();
  }

  int fd;
};

void RangeReader::readBody(int64_t headerOffset, const ProblemHeader& header, LocalGraph& graph) {
  auto keep = [](std::vector<std::pair<int64_t, int64_t>>& list, int64_t at, int64_t node) {
    if (list.size() < 2) list.emplace_back(at, node);
  };
  forBody(headerOffset, header, [&](int64_t offset, const BodyLine& line) {
    lastOffset = offset;
    switch (line.kind) {
      case BodyLine::kFault:
        fault.note(offset, line.fault);
        return false;
      case BodyLine::kEdge:
        ++edgeLines;
        warnings += line.warning;
        graph.edges.emplace_back(line.u, line.v);
        if (header.symmetric && line.u != line.v) graph.edges.emplace_back(line.v, line.u);
        break;
      case BodyLine::kSource:
        keep(sources, offset, line.u);
        break;
      case BodyLine::kSink:
        keep(sinks, offset, line.u);
        break;
      case BodyLine::kNothing:
        break;
    }
    return true;
  });
}

int64_t RangeReader::offsetOfEdgeLine(int64_t headerOffset, const ProblemHeader& header,
                                      int64_t k) {
  int64_t found = kNowhere;
  forBody(headerOffset, header, [&](int64_t offset, const BodyLine& line) {
    if (line.kind == BodyLine::kEdge && --k == 0) found = offset;
    return found == kNowhere && line.kind != BodyLine::kFault;
  });
  return found;
}

int64_t RangeReader::warningsBefore(int64_t headerOffset, const ProblemHeader& header,
                                    int64_t limit) {
  int64_t count = 0;
  forBody(headerOffset, header, [&](int64_t offset, const BodyLine& line) {
    if (offset >= limit) return false;
    count += line.warning;
    return true;
  });
  return count;
}

// The second line in file order that names a source (or a sink).
int64_t secondTerminal(const std::vector<std::pair<int64_t, int64_t>>& mine, MPI_Comm comm,
                       int64_t& firstNode) {
  int size;
  MPI_Comm_size(comm, &size);
  int64_t local[4] = {kNowhere, -1, kNowhere, -1};
  for (size_t i = 0; i < mine.size(); ++i)
    local[2 * i] = mine[i].first, local[2 * i + 1] = mine[i].second;
  std::vector<int64_t> all(4 * size_t(size));
  MPI_Allgather(local, 4, MPI_INT64_T, all.data(), 4, MPI_INT64_T, comm);
  std::vector<std::pair<int64_t, int64_t>> named;
  for (size_t i = 0; i < all.size(); i += 2)
    if (all[i] != kNowhere) named.emplace_back(all[i], all[i + 1]);
  std::sort(named.begin(), named.end());
  firstNode = named.empty() ? -1 : named[0].second;
  return named.size() < 2 ? kNowhere : named[1].first;
}

class Reading {
 public:
  Reading(int fd, int64_t fileSize, MPI_Comm comm)
      : range(fd, fileSize, comm), fd(fd), fileSize(fileSize), comm(comm) {}

  InputOutcome run(LocalGraph& graph);

 private:
  InputOutcome failure(int64_t warnings, const std::string& message) {
    InputOutcome outcome;
    outcome.message = message;
    outcome.warnings = warnings;
    return outcome;
  }
  bool anyReadError() { return allSum(range.readError, comm) > 0; }
  // Detects the banner of a Matrix Market file, and refuses compressed
  // input; a fault message or null.
  std::string readBanner(ProblemHeader& header);
  // Finds and reads the header line; false with `fault` set on a fault.
  bool readHeader(ProblemHeader& header, Fault& fault);
  // Faults that only the ranks together see: a line beyond the declared
  // count, a second source or sink.
  void noteSharedFaults(const ProblemHeader& header, Fault& fault);
  InputOutcome completeNetwork(LocalGraph& graph);

  RangeReader range;
  int fd;
  int64_t fileSize;
  MPI_Comm comm;
  int64_t headerOffset = -1;
  int64_t source = -1, sink = -1;
};

std::string Reading::readBanner(ProblemHeader& header) {
  int rank;
  MPI_Comm_rank(comm, &rank);
  std::string first;
  if (rank == 0) {
    LineRange lines(fd, 0, 1);
    int64_t offset;
    if (const char* line = lines.next(offset)) first = line;
  }
  first = fromFirst(rank == 0 ? 0 : kNowhere, first, comm);
  if (const fileio::Compression* compression = fileio::compressionOf(first))
    return fileio::refuseCompression(*compression, "distmatch");
  if (!startsMatrixMarket(first.c_str())) return std::string();
  const char* fault = readMatrixMarketBanner(first.c_str(), header);
  return fault ? fault : std::string();
}

bool Reading::readHeader(ProblemHeader& header, Fault& fault) {
  std::string banner = readBanner(header);
  if (!banner.empty()) {
    fault.note(0, banner.c_str());
    return false;
  }
  std::string text;
  int64_t mine = range.firstContentLine(header.form, text);
  headerOffset = allMin(mine, comm);
  if (anyReadError()) {
    fault.note(0, messages::kReadError);
    return false;
  }
  if (headerOffset == kNowhere) {
    bool matrixMarket = header.form == ProblemForm::kMatrixMarket;
    fault.note(0, matrixMarket ? messages::kNoSizeLine : messages::kNoProblem);
    return false;
  }
  text = fromFirst(mine, text, comm);
  if (const char* message = readHeaderLine(text.c_str(), header)) {
    fault.note(headerOffset, message);
    return false;
  }
  // As the other matching programs, the memory is checked at the header,
  // before the body fills it.
  if (!sharesAffordable(header, fileSize, comm)) {
    fault.note(headerOffset, kNoMemory);
    return false;
  }
  return true;
}

void Reading::noteSharedFaults(const ProblemHeader& header, Fault& fault) {
  int64_t before = sumBefore(range.edgeLines, comm);
  if (before <= header.declared && before + range.edgeLines > header.declared) {
    int64_t at = range.offsetOfEdgeLine(headerOffset, header, header.declared - before + 1);
    bool matrixMarket = header.form == ProblemForm::kMatrixMarket;
    // The count is checked before the line's own fields.
    if (at <= fault.offset) fault.offset = kNowhere;
    fault.note(at, matrixMarket ? messages::kTooManyEntries : messages::kTooMany);
  }
  if (header.form != ProblemForm::kNetwork) return;
  fault.note(secondTerminal(range.sources, comm, source), messages::kMultipleSources);
  fault.note(secondTerminal(range.sinks, comm, sink), messages::kMultipleSinks);
}

InputOutcome Reading::run(LocalGraph& graph) {
  ProblemHeader& header = graph.header;
  Fault fault;
  if (readHeader(header, fault)) {
    range.readBody(headerOffset, header, graph);
    if (anyReadError()) return failure(0, messages::kReadError);
    fault = range.fault;
    noteSharedFaults(header, fault);
  }
  int64_t first = allMin(fault.offset, comm);
  if (first != kNowhere) {
    int64_t warnings = range.lastOffset < first ? range.warnings
                                                : range.warningsBefore(headerOffset, header, first);
    return failure(allSum(warnings, comm), fromFirst(fault.offset, fault.message, comm));
  }
  int64_t warnings = allSum(range.warnings, comm);
  if (allSum(range.edgeLines, comm) < header.declared) {
    bool matrixMarket = header.form == ProblemForm::kMatrixMarket;
    return failure(warnings, matrixMarket ? messages::kTooFewEntries : messages::kTooFew);
  }
  InputOutcome outcome;
  if (header.form == ProblemForm::kNetwork) {
    outcome = completeNetwork(graph);
  } else {
    graph.rows = graph.firstSide = header.rows;
    graph.cols = graph.secondSide = header.cols;
    graph.sideEdges = allSum(int64_t(graph.edges.size()), comm);
    graph.reportNodes = header.rows + header.cols;
    graph.reportEdges =
        header.form == ProblemForm::kMatrixMarket ? graph.sideEdges : header.declared;
    outcome.ok = true;
  }
  outcome.warnings = warnings;
  return outcome;
}

InputOutcome Reading::completeNetwork(LocalGraph& graph) {
  if (source < 0 || sink < 0) return failure(0, messages::kNoTerminal);
  int64_t n = graph.header.rows;
  NetworkShape shape(n, source, sink);
  if (!shape.orient(graph.edges, comm)) return failure(0, messages::kNotMatching);
  graph.rows = graph.cols = n;
  graph.firstSide = shape.xNodes();
  graph.secondSide = shape.yNodes();
  graph.sideEdges = allSum(int64_t(graph.edges.size()), comm);
  graph.reportNodes = n - 2;
  graph.reportEdges = graph.header.declared - (n - 2);
  InputOutcome outcome;
  outcome.ok = true;
  return outcome;
}

}  // namespace

InputOutcome readDistributed(const std::string& path, MPI_Comm comm, LocalGraph& graph) {
  int fd = open(path.c_str(), O_RDONLY);
  int64_t size = -1;
  struct stat status;
  if (fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) size = status.st_size;
  std::string why = fd < 0 ? std::strerror(errno) : "not a regular file";
  InputOutcome outcome;
  if (allMin(size, comm) < 0) {
    outcome.unreadable = true;
    outcome.message = "cannot read " + path + ": " + fromFirst(size < 0 ? 0 : kNowhere, why, comm);
  } else if (allMin(size, comm) == 0) {
    outcome.message = messages::kEmpty;
  } else {
    outcome = Reading(fd, size, comm).run(graph);
  }
  if (fd >= 0) close(fd);
  return outcome;
}
