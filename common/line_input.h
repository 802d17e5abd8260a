// Whole-line input of the problem readers: the input is read in large
// blocks and split into lines in place, so that a line costs a search for
// its terminator and nothing else. Lines may be of any length.
#pragma once

#include <cstddef>
#include <cstdio>

class LineInput {
 public:
  explicit LineInput(FILE* in) : in(in) {}
  ~LineInput();
  LineInput(const LineInput&) = delete;
  LineInput& operator=(const LineInput&) = delete;

  // The next line as a C string without its '\n' (a last line without one is
  // returned too), or null when the input is exhausted or a read failed. The
  // line stays valid until the next call. As with any C string, a NUL byte
  // inside a line ends what the caller sees of it.
  const char* next();
  long linesRead() const { return lines; }
  // True once next() has returned null because of a read error rather than
  // the end of the input.
  bool failed() const { return readError; }

  // The text read but not yet returned as lines, [unread(), unreadEnd()).
  // Once the buffer holds anything, a NUL follows the text, so that a scan
  // can stop at the end without a bound, and kPadding bytes from the end on
  // are readable, so that a scan may read a word at a time. A caller that splits some complete
  // lines there itself hands them back by skipLines; next() goes on after
  // them.
  const char* unread() const { return begin; }
  const char* unreadEnd() const { return end; }
  // Consumes the `count` whole lines before `to`, a position in the
  // unread text just after a '\n'.
  void skipLines(const char* to, long count) {
    begin += to - begin;
    lines += count;
  }

  // Bytes read from the input at a time.
  static constexpr size_t kBlockBytes = size_t{1} << 16;
  // Readable bytes from the end of the unread text on, its NUL included.
  static constexpr size_t kPadding = 8;

 private:
  // Keeps the unfinished line at [begin, end), moves it to the front of the
  // buffer, and appends the next block; grows the buffer when the line fills
  // it. False once the input has no more bytes.
  bool refill();

  FILE* in;
  char* buffer = nullptr;
  size_t capacity = 0;    // bytes of text the buffer holds; kPadding more follow
  char* begin = nullptr;  // the unread text is [begin, end)
  char* end = nullptr;
  bool exhausted = false;  // the input has reached its end or failed
  bool readError = false;
  long lines = 0;
};
