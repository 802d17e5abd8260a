// The lines of one byte range of a file. A line belongs to the range that
// holds its first byte, so ranks that split a file into consecutive ranges
// see every line exactly once, however the boundaries fall.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class LineRange {
 public:
  // Lines starting in [begin, end) of the open file `fd`; the last one is
  // read past `end` to its terminator.
  LineRange(int fd, int64_t begin, int64_t end);

  // The next line, NUL-terminated without its '\n', and its offset in the
  // file; null at the end of the range. The line stays valid until the next
  // call. False from failed() means a read error ended the range early.
  const char* next(int64_t& offset);
  bool failed() const { return readError; }

  static constexpr size_t kBlockBytes = size_t{1} << 20;

 private:
  // Moves the unread bytes to the front and appends the next block; false
  // at the end of the file or on a read error.
  bool refill();
  // Ends the line at `stop` (its terminator, `terminator` bytes long) and
  // consumes it.
  const char* take(char* stop, size_t terminator, int64_t& offset);
  // Positions the range at the first line starting at or after `begin`.
  void skipToLineStart(int64_t begin);

  int fd;
  int64_t end;
  std::vector<char> buffer;   // one spare byte for a last line's NUL
  size_t head = 0, tail = 0;  // the unread bytes are buffer[head, tail)
  int64_t headOffset = 0;     // file offset of buffer[head]
  int64_t fileOffset = 0;     // file offset of buffer[tail]
  bool atEnd = false;
  bool readError = false;
};
