// Buffered text output for the generators: large problems are written
// through one big buffer with integers formatted by hand, since a formatted
// stream call per line would dominate the run time.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class Output {
 public:
  explicit Output(std::FILE* file);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  Output& text(const char* s);
  Output& text(const std::string& s) { return text(s.c_str()); }
  Output& number(long value);
  // Writes what is buffered; ends the program with status 1 when the file
  // cannot take it, so that a full disk never yields a silently cut file.
  void flush();

 private:
  void put(char c) {
    if (used_ == buffer_.size()) flush();
    buffer_[used_++] = c;
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};
