// Whole-line input of the problem readers: lines of any length, without
// their terminator.
#pragma once

#include <cstdio>

class LineInput {
 public:
  explicit LineInput(FILE* in) : in(in) {}
  ~LineInput();
  LineInput(const LineInput&) = delete;
  LineInput& operator=(const LineInput&) = delete;

  // The next line as a C string without its '\n' (a last line without one is
  // returned too), or null when the input is exhausted or a read failed.
  const char* next();
  long linesRead() const { return lines; }
  // True once next() has returned null because of a read error rather than
  // the end of the input.
  bool failed() const;

 private:
  FILE* in;
  char* buffer = nullptr;
  size_t capacity = 0;
  long lines = 0;
};
