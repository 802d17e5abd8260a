// A source file read as lines, plain or gzip-compressed (told apart by the
// first bytes, not by the name). The raw bytes are checksummed on the way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fileio/gzip_stream.h"

namespace fileio {

class Source {
 public:
  // The longest line read; a longer one is an InputError, so that a file
  // without line breaks cannot take all memory.
  static constexpr std::size_t kLongestLine = std::size_t{1} << 20;

  // What a source is for: reading lines; the same, with the CRC-32 of the
  // bytes as stored counted on the way (crc()); or a look at the start
  // before it is read from its first line again: every line read stays in
  // memory until rewind() goes back to the first.
  enum class Use { kLines, kChecksum, kRewindable };

  // "-" reads standard input. Throws SystemError when the file cannot be
  // opened and InputError for a compression it cannot read.
  explicit Source(const std::string& path, Use use = Use::kLines);
  ~Source();
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  // The next line without its terminator ("\n" or "\r\n"); false at the end
  // of the input. The view stays valid until the next call.
  bool nextLine(std::string_view& line);
  // The number of the line nextLine() gave last, from 1.
  long lineNumber() const { return lineNumber_; }

  // The text not yet read as lines: at least `bytes` of it (at most
  // kLongestLine), or all that is left when the input is shorter (nothing,
  // when the file could not be read). Valid until the next call of any
  // other member.
  std::string_view peek(std::size_t bytes);
  // A kRewindable source: back to the first line, and from now on a source
  // like any other.
  void rewind();

  // Up to `size` bytes of the text not yet read as lines, for a reader that
  // takes the rest of the input as a stream; 0 at its end.
  std::size_t read(char* into, std::size_t size);
  // For a plain regular file: positions its descriptor at the start of the
  // text not yet read as lines and gives it up to the caller, who reads on
  // with it faster than through read(); the source is then at its end. -1
  // otherwise, and the source is left as it was.
  int releaseDescriptor();

  const std::string& path() const { return path_; }
  bool compressed() const { return gzip_ != nullptr; }
  // Of the bytes read so far as stored: their number and their CRC-32 (as
  // zlib and gzip compute it, for a kChecksum source). Complete once
  // nextLine() has returned false.
  std::uint64_t rawBytes() const { return rawBytes_; }
  std::uint32_t crc() const { return crc_; }

 private:
  std::size_t readRaw(char* into, std::size_t size);
  void detectCompression();
  // Appends decompressed (or plain) bytes after the unread text; false at
  // the end of the input.
  bool refill();
  std::size_t decode(char* into, std::size_t size);

  std::string path_;
  int fd_ = -1;
  bool ownsFd_ = false;
  bool rawEnd_ = false;      // the file has no more bytes
  std::string readError_;    // the first read's failure, for the first read of the text
  bool keepAll_;             // text_ holds the input from its start (until rewind())
  bool checksum_;            // crc_ is counted
  std::int64_t start_ = -1;  // the descriptor's offset at the start; -1 if it cannot seek
  std::uint64_t rawBytes_ = 0;
  std::uint32_t crc_ = 0;
  long lineNumber_ = 0;

  std::unique_ptr<GzipStream> gzip_;  // null for plain text
  // Decompressed text, not initialised beyond end_: its unread part is
  // [begin_, end_), and capacity_ bytes are had.
  std::unique_ptr<char[]> text_;
  std::size_t capacity_;
  std::size_t begin_ = 0, end_ = 0;
};

}  // namespace fileio
