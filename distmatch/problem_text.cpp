#include "problem_text.h"

#include <strings.h>

#include <cstring>
#include <string_view>

#include "field_scanner.h"

namespace {

constexpr int64_t kLargestNode = INT32_MAX;

bool inRange(long number, int64_t last) { return number >= 1 && number <= last; }

BodyLine fault(const char* message) {
  BodyLine line;
  line.kind = BodyLine::kFault;
  line.fault = message;
  return line;
}

BodyLine edge(long u, long v) {
  BodyLine line;
  line.kind = BodyLine::kEdge;
  line.u = u - 1;
  line.v = v - 1;
  return line;
}

// "p max N M" or "p bipartite... N1 N2 M". Node numbers are 32-bit, as in
// the other matching programs; the edge count is not bounded by one
// machine's arrays.
const char* readProblemLine(const char* line, ProblemHeader& header) {
  const ProblemLineFields f = scanProblemLine(line);
  const char* word = f.word;
  const long a = f.a, b = f.b, c = f.c;
  const int fields = f.count;
  constexpr const char* kWrongCount = "wrong number of parameters in the problem line";
  constexpr const char* kBadValue = "bad value of a parameter in the problem line";
  if (std::strcmp(word, "max") == 0) {
    if (fields != 3) return kWrongCount;
    if (a < 1 || a > kLargestNode || b < 1) return kBadValue;
    header = {ProblemForm::kNetwork, a, a, b, false};
  } else if (std::string_view(word).substr(0, 9) == "bipartite") {
    if (fields != 4) return kWrongCount;
    if (a < 0 || b < 0 || c < 0 || a + b + 2 > kLargestNode || a + b + c == 0) return kBadValue;
    header = {ProblemForm::kBipartite, a, b, c, false};
  } else {
    return "It is not a Bipartite Matching problem line";
  }
  return nullptr;
}

// "R C NNZ".
const char* readSizeLine(const char* line, ProblemHeader& header) {
  long rows = -1, cols = -1, entries = -1;
  FieldScanner scan(line);
  scan.integer(rows);
  scan.integer(cols);
  scan.integer(entries);
  if (scan.result() != 3 || rows < 0 || cols < 0 || entries < 0)
    return "bad size line in the Matrix Market file";
  if (header.symmetric && rows != cols) return "a symmetric Matrix Market matrix must be square";
  header.rows = rows;
  header.cols = cols;
  header.declared = entries;
  return nullptr;
}

BodyLine readSuiteArc(const ProblemHeader& header, const char* line) {
  long u = 0, v = 0, capacity = 1;
  int fields = scanArcLine(line, u, v, capacity);
  bool network = header.form == ProblemForm::kNetwork;
  if (fields != (network ? 3 : 2))
    return fault("wrong number of parameters in an arc desrciption line");
  if (!inRange(u, header.rows) || !inRange(v, header.cols))
    return fault("invalid node reference in an arc description line");
  BodyLine arc = edge(u, v);
  arc.warning = network && capacity != 1;
  return arc;
}

BodyLine readNodeLine(const ProblemHeader& header, const char* line) {
  if (header.form != ProblemForm::kNetwork)
    return fault("Node line not allowed in bipartite graph formulation");
  long number;
  char kind;
  if (scanNodeLine(line, number, kind) < 2)
    return fault("wrong number of parameters in a node description line");
  if (!inRange(number, header.rows)) return fault("invalid node number");
  if (kind != 's' && kind != 't')
    return fault("Improper source-sink description in node description line");
  BodyLine terminal;
  terminal.kind = kind == 's' ? BodyLine::kSource : BodyLine::kSink;
  terminal.u = number - 1;
  return terminal;
}

BodyLine readEntry(const ProblemHeader& header, const char* line) {
  long row, col;
  FieldScanner scan(line);
  scan.integer(row);
  scan.integer(col);
  if (scan.result() != 2) return fault("wrong number of parameters in an entry line");
  if (!inRange(row, header.rows) || !inRange(col, header.cols))
    return fault("invalid row or column in an entry line");
  return edge(row, col);
}

bool allBlank(const char* line) {
  while (FieldScanner::isSpace(*line)) ++line;
  return *line == '\0';
}

}  // namespace

bool isBlankLine(ProblemForm form, const char* line) {
  if (form == ProblemForm::kMatrixMarket) return line[0] == '%' || allBlank(line);
  return line[0] == '\0' || line[0] == 'c' || line[0] == 't';
}

const char* readHeaderLine(const char* line, ProblemHeader& header) {
  if (header.form == ProblemForm::kMatrixMarket) return readSizeLine(line, header);
  if (line[0] != 'p') return faultBeforeHeader(header.form, line);
  return readProblemLine(line, header);
}

const char* faultBeforeHeader(ProblemForm form, const char* line) {
  if (form == ProblemForm::kMatrixMarket) return messages::kNoSizeLine;
  switch (line[0]) {
    case 'a':
      return messages::kTooMany;
    case 'n':
      return "problem description must come first";
    default:
      return "unknown line type in the input";
  }
}

bool startsMatrixMarket(const char* text) { return std::strncmp(text, "%%MatrixMarket", 14) == 0; }

// "%%MatrixMarket matrix coordinate FIELD SYMMETRY": any field (values are
// not used), general, symmetric, skew-symmetric or hermitian.
const char* readMatrixMarketBanner(const char* line, ProblemHeader& header) {
  char object[21] = "", format[21] = "", field[21] = "", symmetry[21] = "";
  FieldScanner scan(line + 14);
  scan.word(object, 20);
  scan.word(format, 20);
  scan.word(field, 20);
  scan.word(symmetry, 20);
  auto is = [](const char* word, const char* name) { return strcasecmp(word, name) == 0; };
  if (scan.result() != 4 || !is(object, "matrix") || !is(format, "coordinate"))
    return "not a Matrix Market coordinate matrix";
  header = ProblemHeader();
  header.form = ProblemForm::kMatrixMarket;
  header.symmetric = !is(symmetry, "general");
  return nullptr;
}

BodyLine readBodyLine(const ProblemHeader& header, const char* line) {
  if (isBlankLine(header.form, line)) return BodyLine();
  if (header.form == ProblemForm::kMatrixMarket) return readEntry(header, line);
  switch (line[0]) {
    case 'a':
      return readSuiteArc(header, line);
    case 'n':
      return readNodeLine(header, line);
    case 'p':
      return fault("more than one problem line");
    default:
      return fault("unknown line type in the input");
  }
}
