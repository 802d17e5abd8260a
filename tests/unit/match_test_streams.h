// Streams over strings for the matcher's unit tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A read stream over a copy of `text`, which must not be empty.
class InputStream {
 public:
  explicit InputStream(std::string text) : text_(std::move(text)) {
    stream_ = fmemopen(text_.data(), text_.size(), "r");
  }
  ~InputStream() { std::fclose(stream_); }
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;
  FILE* get() const { return stream_; }

 private:
  std::string text_;
  FILE* stream_;
};

// Runs `write` on a memory stream and returns what it wrote.
template <class Write>
std::string Written(Write write) {
  char* buffer = nullptr;
  std::size_t size = 0;
  FILE* stream = open_memstream(&buffer, &size);
  write(stream);
  std::fclose(stream);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}
