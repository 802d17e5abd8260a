#include "line_range.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

LineRange::LineRange(int fd, int64_t begin, int64_t end)
    : fd(fd), end(end), buffer(kBlockBytes + 1) {
  skipToLineStart(begin);
}

void LineRange::skipToLineStart(int64_t begin) {
  if (begin == 0) return;
  // The range starts on a line of its own only when the byte before it ends
  // a line; otherwise that line belongs to the range before.
  fileOffset = headOffset = begin - 1;
  int64_t ignored;
  next(ignored);
}

bool LineRange::refill() {
  if (atEnd) return false;
  if (head > 0) {
    std::memmove(buffer.data(), buffer.data() + head, tail - head);
    tail -= head;
    head = 0;
  }
  if (tail + 1 == buffer.size()) buffer.resize(2 * buffer.size() - 1);
  ssize_t got;
  do {
    got = pread(fd, buffer.data() + tail, buffer.size() - 1 - tail, fileOffset);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    atEnd = true;
    readError = got < 0;
    return false;
  }
  tail += size_t(got);
  fileOffset += got;
  return true;
}

const char* LineRange::next(int64_t& offset) {
  if (headOffset >= end) return nullptr;
  size_t scanned = head;
  for (;;) {
    void* newline = std::memchr(buffer.data() + scanned, '\n', tail - scanned);
    if (newline != nullptr) return take(static_cast<char*>(newline), 1, offset);
    size_t pending = tail - head;
    if (!refill()) return head == tail ? nullptr : take(buffer.data() + tail, 0, offset);
    scanned = pending;  // refill moved the unread bytes to the front
  }
}

const char* LineRange::take(char* stop, size_t terminator, int64_t& offset) {
  *stop = '\0';
  char* line = buffer.data() + head;
  size_t length = size_t(stop - line) + terminator;
  offset = headOffset;
  head += length;
  headOffset += int64_t(length);
  return line;
}
