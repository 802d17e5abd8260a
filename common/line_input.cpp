#include "line_input.h"

#include <cstdlib>
#include <cstring>

#include "fail.h"

LineInput::~LineInput() { std::free(buffer); }

const char* LineInput::next() {
  for (;;) {
    if (begin != end) {
      char* newline = static_cast<char*>(std::memchr(begin, '\n', size_t(end - begin)));
      if (newline != nullptr) {
        *newline = '\0';
        char* line = begin;
        begin = newline + 1;
        ++lines;
        return line;
      }
    }
    if (exhausted || !refill()) break;
  }
  if (begin == end) return nullptr;
  // The last line has no terminator; the buffer keeps a byte for its NUL.
  *end = '\0';
  char* line = begin;
  begin = end;
  ++lines;
  return line;
}

bool LineInput::refill() {
  size_t kept = size_t(end - begin);
  if (kept == capacity || buffer == nullptr) {
    size_t larger = capacity == 0 ? kBlockBytes : 2 * capacity;
    char* grown = static_cast<char*>(std::calloc(larger + kPadding, 1));
    if (grown == nullptr) fail(kNoMemory);
    if (kept > 0) std::memcpy(grown, begin, kept);
    std::free(buffer);
    buffer = grown;
    capacity = larger;
  } else if (kept > 0 && begin != buffer) {
    std::memmove(buffer, begin, kept);
  }
  begin = buffer;
  end = buffer + kept;
  size_t got = std::fread(end, 1, capacity - kept, in);
  end += got;
  *end = '\0';
  if (got < capacity - kept) {
    exhausted = true;
    readError = std::ferror(in) != 0;
  }
  return got > 0;
}
