// Field conversion of the problem readers: the line formats are read as
// sscanf reads them in the C locale, but by hand, because the formatted
// scanner costs more than all the rest of reading a problem.
//
// Each call converts one directive of a format and does nothing once an
// earlier one has stopped; result() is then what sscanf would have returned.
// A format such as "%*c %20s %ld %ld" is read as
//     FieldScanner f(line);
//     f.skipChar(); f.word(buffer, 20); f.integer(a); f.integer(b);
//     int fields = f.result();
// The blank between two directives of such a format changes nothing, since
// every conversion but %c skips leading white space anyway.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

class FieldScanner {
 public:
  explicit FieldScanner(const char* line) : s(line) {}

  // "%*c": skips one character, whatever it is.
  void skipChar() {
    if (stopped) return;
    if (*s == '\0') return endOfInput();
    ++s;
  }

  // " %Ns" (N = `width`, 0 for "%s"): a run of at most N non-blank
  // characters after white space, NUL-terminated in `out`, which must hold
  // N + 1 characters (a line's length + 1 when N is 0). A longer run is cut
  // and the next directive starts at its N+1-th character.
  bool word(char* out, size_t width) {
    if (!skipSpace()) return false;
    size_t kept = 0;
    while (*s != '\0' && !isSpace(*s) && (width == 0 || kept < width)) out[kept++] = *s++;
    out[kept] = '\0';
    ++converted;
    return true;
  }

  // " %ld": white space, an optional sign, then decimal digits up to the
  // first non-digit. A value beyond the range of long saturates at
  // LONG_MAX or LONG_MIN, as strtol does. A sign or a non-digit where the
  // first digit belongs stops the scan without an input failure.
  bool integer(long& value) {
    if (!skipSpace()) return false;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    if (!isDigit(*s)) {
      stopped = true;
      return false;
    }
    // The magnitude of LONG_MIN is LONG_MAX + 1.
    const uint64_t limit = uint64_t(LONG_MAX) + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    for (; isDigit(*s); ++s) {
      unsigned digit = unsigned(*s - '0');
      if (magnitude < kTenthOfLimit)
        magnitude = magnitude * 10 + digit;
      else if (magnitude == kTenthOfLimit && digit <= limit % 10)
        magnitude = magnitude * 10 + digit;
      else
        magnitude = limit;
    }
    value = negative ? (magnitude == uint64_t(LONG_MAX) + 1 ? LONG_MIN : -long(magnitude))
                     : long(magnitude);
    ++converted;
    return true;
  }

  // " %c": the first non-blank character.
  bool character(char& c) {
    if (!skipSpace()) return false;
    c = *s++;
    ++converted;
    return true;
  }

  // Fields converted, or -1 (EOF) when the line ended before the first one.
  int result() const { return converted == 0 && reachedEnd ? -1 : converted; }
  // Where the next directive would start reading.
  const char* position() const { return s; }

  static bool isSpace(char c) { return c == ' ' || unsigned(c - '\t') <= unsigned('\r' - '\t'); }
  static bool isDigit(char c) { return unsigned(c - '0') <= 9; }

 private:
  // Skips white space; false (and the scan stops) at the end of the line.
  bool skipSpace() {
    if (stopped) return false;
    while (isSpace(*s)) ++s;
    if (*s != '\0') return true;
    endOfInput();
    return false;
  }
  void endOfInput() {
    stopped = true;
    reachedEnd = true;
  }

  // LONG_MAX / 10: below it another digit can never pass LONG_MAX.
  static constexpr uint64_t kTenthOfLimit = uint64_t(LONG_MAX) / 10;

  const char* s;
  int converted = 0;
  bool stopped = false;     // a directive failed; the rest convert nothing
  bool reachedEnd = false;  // the failure was the end of the line
};

// "%*c %20s %ld %ld %ld": a matching problem line's word, cut at 20
// characters, and up to three numbers.
struct ProblemLineFields {
  char word[21] = "";
  long a = 0, b = 0, c = 0;
  int count = 0;  // fields converted, or -1 as FieldScanner::result()
};

inline ProblemLineFields scanProblemLine(const char* line) {
  ProblemLineFields fields;
  FieldScanner scan(line);
  scan.skipChar();
  scan.word(fields.word, 20);
  scan.integer(fields.a);
  scan.integer(fields.b);
  scan.integer(fields.c);
  fields.count = scan.result();
  return fields;
}

// "%*c %ld %c": a node line's number and letter.
inline int scanNodeLine(const char* line, long& number, char& kind) {
  FieldScanner scan(line);
  scan.skipChar();
  scan.integer(number);
  scan.character(kind);
  return scan.result();
}

// "%*c %ld %ld %ld": an arc line's tail, head and capacity; *after (when
// given) is where the scan stopped, after the capacity's digits when all
// three were read.
inline int scanArcLine(const char* line, long& tail, long& head, long& capacity,
                       const char** after = nullptr) {
  FieldScanner scan(line);
  scan.skipChar();
  scan.integer(tail);
  scan.integer(head);
  scan.integer(capacity);
  if (after != nullptr) *after = scan.position();
  return scan.result();
}
