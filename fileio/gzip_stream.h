// gzip-compressed text inflated as it is read: one member or several one
// after another, as `cat a.gz b.gz` makes, and zero bytes after the last,
// as some tools pad (gzip -t accepts them too). Built on zlib; a build
// without it refuses gzip input with a message that says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace fileio {

class GzipStream {
 public:
  // Gives up to `size` further compressed bytes; 0 at the end.
  using RawReader = std::function<std::size_t(char* into, std::size_t size)>;

  // `first` holds the compressed bytes read already, `read` the rest.
  // Throws InputError when gzip cannot be read here.
  GzipStream(std::string_view first, RawReader read);
  ~GzipStream();
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;

  // Inflates into `into` until some text comes out or the input ends; 0 at
  // the end. Throws InputError for corrupt or truncated data and for bytes
  // other than zeros after the last member.
  std::size_t read(char* into, std::size_t size);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The CRC-32 of `size` more bytes after those that gave `crc`, as zlib and
// gzip compute it; 0 in a build without zlib.
std::uint32_t crc32Update(std::uint32_t crc, const char* bytes, std::size_t size);

}  // namespace fileio
