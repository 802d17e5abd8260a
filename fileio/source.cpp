#include "fileio/source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "fileio/compression.h"
#include "fileio/input_error.h"

namespace fileio {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

}  // namespace

// The text buffer holds a longest line and a block after it, so that only a
// rewindable source ever grows it.
Source::Source(const std::string& path, bool rewindable)
    : path_(path), keepAll_(rewindable), raw_(kBlockBytes), text_(kLongestLine + 3 * kBlockBytes) {
  if (path == "-") {
    fd_ = 0;
  } else {
    fd_ = ::open(path.c_str(), O_RDONLY);
    if (fd_ < 0) throw SystemError("cannot open " + path + ": " + std::strerror(errno));
    ownsFd_ = true;
  }
  start_ = ::lseek(fd_, 0, SEEK_CUR);
  detectCompression();
}

Source::~Source() {
  if (zipOpen_) inflateEnd(&zip_);
  if (ownsFd_) ::close(fd_);
}

std::size_t Source::readRaw(char* into, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd_, into + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw SystemError("cannot read " + path_ + ": " + std::strerror(errno));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  crc_ = static_cast<std::uint32_t>(
      crc32(crc_, reinterpret_cast<const Bytef*>(into), static_cast<uInt>(got)));
  rawBytes_ += got;
  return got;
}

// The first block decides: gzip is inflated, plain text taken as it is.
void Source::detectCompression() {
  const std::size_t size = readRaw(raw_.data(), raw_.size());
  rawEnd_ = size < raw_.size();
  const Compression* compression = compressionOf({raw_.data(), size});
  compressed_ = compression != nullptr && compression->name == kGzip.name;
  if (compression != nullptr && !compressed_) {
    throw InputError(0, refuseCompression(*compression));
  }
  if (!compressed_) {
    std::memcpy(text_.data(), raw_.data(), size);
    end_ = size;
    return;
  }
  if (inflateInit2(&zip_, 15 + 16) != Z_OK) throw SystemError("cannot start zlib");
  zipOpen_ = true;
  zip_.next_in = reinterpret_cast<Bytef*>(raw_.data());
  zip_.avail_in = static_cast<uInt>(size);
}

bool Source::refill() {
  if (!keepAll_ && begin_ > 0) {
    std::memmove(text_.data(), text_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (text_.size() - end_ < kBlockBytes) text_.resize(2 * text_.size());
  const std::size_t got = decode(text_.data() + end_, text_.size() - end_);
  end_ += got;
  return got > 0;
}

std::size_t Source::decode(char* into, std::size_t size) {
  return compressed_ ? inflateInto(into, size) : readRaw(into, size);
}

// Inflates until some text comes out or the input ends. A file may hold
// several gzip members one after the other, as `cat a.gz b.gz` makes.
std::size_t Source::inflateInto(char* into, std::size_t size) {
  zip_.next_out = reinterpret_cast<Bytef*>(into);
  zip_.avail_out = static_cast<uInt>(size);
  while (zip_.avail_out == size) {
    if (zip_.avail_in == 0) {
      const std::size_t got = rawEnd_ ? 0 : readRaw(raw_.data(), raw_.size());
      if (got == 0) {
        rawEnd_ = true;
        if (memberOpen_) throw InputError(0, "the gzip data ends early (a truncated file?)");
        break;
      }
      zip_.next_in = reinterpret_cast<Bytef*>(raw_.data());
      zip_.avail_in = static_cast<uInt>(got);
    }
    if (!memberOpen_ && !anotherMember()) break;
    memberOpen_ = true;
    const int status = inflate(&zip_, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      inflateReset(&zip_);
      memberOpen_ = false;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      throw InputError(0, std::string("corrupt gzip data: ") + (zip_.msg ? zip_.msg : "unknown"));
    }
  }
  return size - zip_.avail_out;
}

// A member's first byte is never 0; gzip -t accepts zero bytes after the
// last member, and so does this reader, all the way to the end.
bool Source::anotherMember() {
  if (*zip_.next_in != 0) return true;
  for (;;) {
    const auto* bytes = reinterpret_cast<const char*>(zip_.next_in);
    if (std::any_of(bytes, bytes + zip_.avail_in, [](char c) { return c != 0; })) {
      throw InputError(0, "bytes other than zeros after the gzip data");
    }
    zip_.avail_in = 0;
    const std::size_t got = rawEnd_ ? 0 : readRaw(raw_.data(), raw_.size());
    if (got == 0) break;
    zip_.next_in = reinterpret_cast<Bytef*>(raw_.data());
    zip_.avail_in = static_cast<uInt>(got);
  }
  rawEnd_ = true;
  return false;
}

bool Source::nextLine(std::string_view& line) {
  std::size_t searched = 0;  // bytes of the unread text known to hold no '\n'
  for (;;) {
    const char* start = text_.data() + begin_;
    const auto* stop =
        static_cast<const char*>(std::memchr(start + searched, '\n', end_ - begin_ - searched));
    searched = stop != nullptr ? static_cast<std::size_t>(stop - start) : end_ - begin_;
    if (searched > kLongestLine) {
      throw InputError(0, "line " + std::to_string(lineNumber_ + 1) + " longer than " +
                              std::to_string(kLongestLine) + " bytes");
    }
    if (stop == nullptr && refill()) continue;
    if (begin_ == end_) return false;
    start = text_.data() + begin_;
    line = std::string_view(start, searched);
    begin_ = std::min(end_, begin_ + searched + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineNumber_;
    return true;
  }
}

std::string_view Source::peek(std::size_t bytes) {
  bytes = std::min(bytes, kLongestLine);
  while (end_ - begin_ < bytes && refill()) {
  }
  return {text_.data() + begin_, end_ - begin_};
}

void Source::rewind() {
  begin_ = 0;
  lineNumber_ = 0;
  keepAll_ = false;
}

std::size_t Source::read(char* into, std::size_t size) {
  if (begin_ == end_) return decode(into, size);
  const std::size_t n = std::min(size, end_ - begin_);
  std::memcpy(into, text_.data() + begin_, n);
  begin_ += n;
  return n;
}

int Source::releaseDescriptor() {
  struct stat status;
  if (compressed_ || start_ < 0 || ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    return -1;
  }
  const auto at = static_cast<off_t>(start_ + rawBytes_ - (end_ - begin_));
  if (::lseek(fd_, at, SEEK_SET) != at) return -1;
  ownsFd_ = false;
  return fd_;
}

}  // namespace fileio
