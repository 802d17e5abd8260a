#include "fileio/matrix_market.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

#include "fileio/fields.h"
#include "fileio/input_error.h"
#include "fileio/remove_duplicates.h"

namespace fileio {

namespace {

constexpr std::string_view kBannerWord = "%%matrixmarket";
// The most entries a size line may declare: each may become two edges.
constexpr std::uint64_t kLargestEntries = UINT64_MAX >> 2;

enum class Symmetry { General, Symmetric, SkewSymmetric, Hermitian };

struct Banner {
  std::string field, symmetry;  // lower case, as read
  int values = 0;               // numbers after the row and column
  Symmetry mirror = Symmetry::General;
};

std::string lower(std::string_view word) {
  std::string text(word);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "%%MatrixMarket matrix coordinate FIELD SYMMETRY", any case.
// The banner is looked for in the first bytes, so that a file of another
// kind is refused before a line of it is read.
Banner readBanner(Source& source) {
  const std::string_view start = source.peek(kBannerWord.size());
  if (start.empty()) throw InputError(0, "the file is empty");
  if (lower(start.substr(0, kBannerWord.size())) != kBannerWord) {
    throw InputError(1, "not a Matrix Market file", start.substr(0, start.find('\n')));
  }
  std::string_view line;
  source.nextLine(line);
  Fields fields(line);
  const auto bad = [&](const std::string& why) { return InputError(1, why, line); };
  if (lower(fields.word()) != kBannerWord) throw bad("not a Matrix Market file");
  if (lower(fields.word()) != "matrix") throw bad("only matrix objects are supported");
  const std::string format = lower(fields.word());
  if (format == "array") {
    throw bad(
        "array (dense) files are not supported: their every entry is stored, so the "
        "pattern is the full matrix; convert the matrix to coordinate form first");
  }
  if (format != "coordinate") throw bad("the format must be coordinate");
  Banner banner{lower(fields.word()), lower(fields.word())};
  if (banner.field == "pattern") {
    banner.values = 0;
  } else if (banner.field == "real" || banner.field == "integer") {
    banner.values = 1;
  } else if (banner.field == "complex") {
    banner.values = 2;
  } else {
    throw bad("unknown field '" + banner.field + "' (pattern, real, integer or complex)");
  }
  const std::string& s = banner.symmetry;
  if (s == "general") {
    banner.mirror = Symmetry::General;
  } else if (s == "symmetric") {
    banner.mirror = Symmetry::Symmetric;
  } else if (s == "skew-symmetric") {
    banner.mirror = Symmetry::SkewSymmetric;
  } else if (s == "hermitian") {
    banner.mirror = Symmetry::Hermitian;
  } else {
    throw bad("unknown symmetry '" + s + "' (general, symmetric, skew-symmetric or hermitian)");
  }
  if (!fields.atEnd()) throw bad("unexpected text after the symmetry");
  return banner;
}

// The next line that is neither blank nor a comment; false at the end.
bool nextDataLine(Source& source, std::string_view& line) {
  while (source.nextLine(line)) {
    const std::size_t start = line.find_first_not_of(" \t\r\v\f");
    if (start != std::string_view::npos && line[start] != '%') return true;
  }
  return false;
}

struct Size {
  std::uint64_t rows = 0, columns = 0, entries = 0;
};

// One number of the size line; a number too large is said to be.
std::uint64_t sizeField(Fields& fields, std::uint64_t largest, long lineNumber,
                        std::string_view line) {
  std::uint64_t value = 0;
  std::string_view field;
  const NumberRead read = fields.number(value, largest, field);
  if (read == NumberRead::kTooLarge) {
    throw InputError(lineNumber,
                     "the number " + std::string(field) +
                         " on the size line is too large (at most " + std::to_string(largest) + ")",
                     line);
  }
  if (read != NumberRead::kOk) {
    throw InputError(lineNumber, "the size line must be 'ROWS COLUMNS ENTRIES'", line);
  }
  return value;
}

Size readSize(Source& source, const Banner& banner) {
  std::string_view line;
  if (!nextDataLine(source, line)) throw InputError(source.lineNumber(), "no size line");
  const long number = source.lineNumber();
  Fields fields(line);
  Size size;
  size.rows = sizeField(fields, kLargestNumber, number, line);
  size.columns = sizeField(fields, kLargestNumber, number, line);
  size.entries = sizeField(fields, kLargestEntries, number, line);
  if (!fields.atEnd()) {
    throw InputError(number, "the size line must be 'ROWS COLUMNS ENTRIES'", line);
  }
  if (banner.mirror != Symmetry::General && size.rows != size.columns) {
    throw InputError(number, "a " + banner.symmetry + " matrix must be square", line);
  }
  return size;
}

// Reads the value fields of an entry; true when the value is zero. A value
// beyond a double's range is refused rather than taken for zero or not.
bool readValue(Fields& fields, int values, long lineNumber, std::string_view line) {
  bool zero = true;
  for (int k = 0; k < values; ++k) {
    double value = 0;
    std::string_view field;
    const NumberRead read = fields.real(value, field);
    if (read == NumberRead::kTooLarge) {
      throw InputError(lineNumber,
                       "the value " + std::string(field) + " is out of a double's range", line);
    }
    if (read != NumberRead::kOk) {
      throw InputError(lineNumber,
                       "expected " + std::to_string(values) + " value field" +
                           (values == 1 ? "" : "s") + " after the row and column",
                       line);
    }
    zero = zero && value == 0;
  }
  if (!fields.atEnd()) throw InputError(lineNumber, "unexpected text after the entry", line);
  return zero && values > 0;
}

struct Counts {
  std::uint64_t read = 0, zeros = 0, mirrored = 0;
};

void readEntries(Source& source, const Banner& banner, const Size& size,
                 const MatrixMarketOptions& options, Problem& problem, Counts& counts) {
  const bool mirror = banner.mirror != Symmetry::General;
  reserveEdges(problem.edges, size.entries * (mirror ? 2 : 1));
  std::string_view line;
  while (nextDataLine(source, line)) {
    const long number = source.lineNumber();
    if (counts.read == size.entries) {
      throw InputError(number, "more entries than the size line's " + std::to_string(size.entries),
                       line);
    }
    ++counts.read;
    Fields fields(line);
    std::uint64_t row, column;
    if (!fields.number(row, size.rows) || !fields.number(column, size.columns) || row == 0 ||
        column == 0) {
      throw InputError(number,
                       "expected a row in 1.." + std::to_string(size.rows) +
                           " and a column in 1.." + std::to_string(size.columns),
                       line);
    }
    const bool zero = readValue(fields, banner.values, number, line);
    if (zero && options.dropZeros) {
      counts.zeros += mirror && row != column ? 2 : 1;
      continue;
    }
    const auto r = static_cast<std::uint32_t>(row - 1), c = static_cast<std::uint32_t>(column - 1);
    problem.edges.push_back({r, c});
    if (mirror && r != c) {
      problem.edges.push_back({c, r});
      ++counts.mirrored;
    }
  }
  if (counts.read < size.entries) {
    throw InputError(source.lineNumber(), "the file ends after " + std::to_string(counts.read) +
                                              " of the size line's " +
                                              std::to_string(size.entries) + " entries");
  }
}

}  // namespace

Problem convertMatrixMarket(Source& source, const MatrixMarketOptions& options) {
  const Banner banner = readBanner(source);
  const Size size = readSize(source, banner);
  Problem problem;
  problem.left = size.rows;
  problem.right = size.columns;
  Counts counts;
  readEntries(source, banner, size, options, problem, counts);
  const std::uint64_t merged = options.mergeDuplicates ? removeDuplicates(problem.edges) : 0;
  problem.notes = {
      "matrix: coordinate " + banner.field + " " + banner.symmetry + ", " +
          std::to_string(size.rows) + " rows, " + std::to_string(size.columns) + " columns, " +
          std::to_string(size.entries) + " stored entries",
      "rows are the first side, columns the second; each entry is an edge",
      std::to_string(counts.mirrored) + " mirror entries added (a diagonal entry is written once)",
      (options.dropZeros ? std::to_string(counts.zeros) + " explicit zeros dropped"
                         : std::string("explicit zeros kept")) +
          "; " +
          (options.mergeDuplicates ? std::to_string(merged) + " duplicate entries merged"
                                   : std::string("duplicate entries kept"))};
  if (banner.mirror == Symmetry::General) problem.notes.erase(problem.notes.begin() + 2);
  return problem;
}

}  // namespace fileio
