// The converted problem, written through a buffer. A named output file
// appears whole or not at all: the text goes to a temporary file next to it,
// which commit() renames to the final name; an output never committed is
// removed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Output {
 public:
  // "-" writes standard output (and commit() only flushes it).
  explicit Output(const std::string& path);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // One line "c TEXT".
  void comment(std::string_view text);
  void text(std::string_view text);
  // One line "a TAIL HEAD", or "a TAIL HEAD CAPACITY" when capacity >= 0.
  void arc(std::uint64_t tail, std::uint64_t head, int capacity = -1);
  void commit();

 private:
  void number(std::uint64_t value);
  void reserve(std::size_t bytes);
  void flush();

  std::string path_, temporary_;
  int fd_ = 1;
  bool committed_ = false;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};
