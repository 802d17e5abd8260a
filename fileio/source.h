// A source file read as lines, plain or gzip-compressed (told apart by the
// first bytes, not by the name). The raw bytes are checksummed on the way.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fileio {

class Source {
 public:
  // "-" reads standard input. Throws SystemError when the file cannot be
  // opened and InputError for a compression it cannot read.
  explicit Source(const std::string& path);
  ~Source();
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  // The next line without its terminator ("\n" or "\r\n"); false at the end
  // of the input. The view stays valid until the next call.
  bool nextLine(std::string_view& line);
  // The number of the line nextLine() gave last, from 1.
  long lineNumber() const { return lineNumber_; }

  const std::string& path() const { return path_; }
  bool compressed() const { return compressed_; }
  // Of the bytes read so far as stored: their number and their CRC-32 (as
  // zlib and gzip compute it). Complete once nextLine() has returned false.
  std::uint64_t rawBytes() const { return rawBytes_; }
  std::uint32_t crc() const { return crc_; }

 private:
  std::size_t readRaw(char* into, std::size_t size);
  void detectCompression();
  // Appends decompressed (or plain) bytes after the unread text; false at
  // the end of the input.
  bool refill();
  std::size_t inflateInto(char* into, std::size_t size);

  std::string path_;
  int fd_ = -1;
  bool ownsFd_ = false;
  bool compressed_ = false;
  bool rawEnd_ = false;
  std::uint64_t rawBytes_ = 0;
  std::uint32_t crc_ = 0;
  long lineNumber_ = 0;

  z_stream zip_{};
  bool zipOpen_ = false;
  bool memberOpen_ = true;  // a gzip member has begun and not yet ended
  std::vector<char> raw_;   // compressed bytes not yet inflated
  std::vector<char> text_;  // decompressed text; unread part [begin_, end_)
  std::size_t begin_ = 0, end_ = 0;
};

}  // namespace fileio
