#include "output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
constexpr std::size_t kBufferBytes = 1 << 22;

[[noreturn]] void writeFailed() {
  std::fprintf(stderr, "cannot write the output: %s\n", std::strerror(errno));
  std::exit(1);
}
}  // namespace

Output::Output(std::FILE* file) : file_(file), buffer_(kBufferBytes) {}

Output::~Output() { flush(); }

Output& Output::text(const char* s) {
  for (; *s != '\0'; ++s) put(*s);
  return *this;
}

Output& Output::number(long value) {
  unsigned long magnitude = static_cast<unsigned long>(value);
  if (value < 0) {
    put('-');
    magnitude = 0UL - magnitude;
  }
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  while (count > 0) put(digits[--count]);
  return *this;
}

void Output::flush() {
  if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_) writeFailed();
  used_ = 0;
  if (std::fflush(file_) != 0) writeFailed();
}
