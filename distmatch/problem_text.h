// The text of a problem, line by line: what the header lines declare and
// what each later line adds. Both the suite's line format (a bipartite
// problem or a "max" network of matching shape) and Matrix Market
// coordinate files are read. Nothing here knows about ranks; faults are
// returned as the suite's fixed messages.
#pragma once

#include <cstdint>

enum class ProblemForm { kBipartite, kNetwork, kMatrixMarket };

struct ProblemHeader {
  ProblemForm form = ProblemForm::kBipartite;
  int64_t rows = 0;        // first side; nodes of a network; matrix rows
  int64_t cols = 0;        // second side; nodes of a network; matrix columns
  int64_t declared = 0;    // edge, arc or entry lines the header announces
  bool symmetric = false;  // Matrix Market: each entry off the diagonal stands for two
};

// One line after the header.
struct BodyLine {
  enum Kind { kNothing, kEdge, kSource, kSink, kFault } kind = kNothing;
  int64_t u = 0, v = 0;  // kEdge: 0-based row and column (tail and head in a network);
                         // kSource, kSink: the 0-based node
  bool warning = false;  // a network arc whose capacity is not 1
  const char* fault = nullptr;
};

// True for lines that carry nothing: comments, empty lines, and in the
// suite's format 't' lines.
bool isBlankLine(ProblemForm form, const char* line);

// The first line that is not blank: the problem line of the suite's format,
// the size line of a Matrix Market file (whose banner `header` already
// holds). Null when it is sound, else the message.
const char* readHeaderLine(const char* line, ProblemHeader& header);

// The first line of a file that starts with "%%MatrixMarket".
const char* readMatrixMarketBanner(const char* line, ProblemHeader& header);
bool startsMatrixMarket(const char* text);

BodyLine readBodyLine(const ProblemHeader& header, const char* line);

// The messages that depend on more than one line.
namespace messages {
constexpr const char* kEmpty = "input file is empty";
constexpr const char* kReadError = "reading error";
constexpr const char* kNoProblem = "no problem line in the input";
constexpr const char* kTooMany = "too many arcs input";
constexpr const char* kTooFew = "too few arcs input";
constexpr const char* kNoTerminal = "no source or sink in the input";
constexpr const char* kNotMatching = "not a bipartite matching network";
constexpr const char* kMultipleSources = "Multiple sources not permitted";
constexpr const char* kMultipleSinks = "Multiple sinks not permitted";
constexpr const char* kNoSizeLine = "no size line in the Matrix Market file";
constexpr const char* kTooManyEntries = "more entries than the size line declares";
constexpr const char* kTooFewEntries = "fewer entries than the size line declares";
}  // namespace messages

// What comes before the header line decides the fault when the first line
// that is not blank is not a header line.
const char* faultBeforeHeader(ProblemForm form, const char* line);
