#include "fileio/source.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "fileio/input_error.h"

namespace fileio {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

bool startsWith(const std::vector<char>& bytes, std::size_t size, std::string_view magic) {
  return size >= magic.size() && std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

// Compressions recognised only to refuse them with a useful message.
struct Unsupported {
  std::string_view magic, name, tool;
};
constexpr Unsupported kUnsupported[] = {{"BZh", "bzip2", "bunzip2"},
                                        {"\xfd"
                                         "7zXZ",
                                         "xz", "unxz"},
                                        {"\x28\xb5\x2f\xfd", "zstd", "unzstd"}};

}  // namespace

Source::Source(const std::string& path) : path_(path), raw_(kBlockBytes), text_(4 * kBlockBytes) {
  if (path == "-") {
    fd_ = 0;
  } else {
    fd_ = ::open(path.c_str(), O_RDONLY);
    if (fd_ < 0) throw SystemError("cannot open " + path + ": " + std::strerror(errno));
    ownsFd_ = true;
  }
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
  for (const Unsupported& format : kUnsupported) {
    if (startsWith(raw_, size, format.magic)) {
      throw InputError(0, std::string(format.name) + "-compressed input is not supported; " +
                              "decompress it first (" + std::string(format.tool) + ")");
    }
  }
  compressed_ = startsWith(raw_, size, "\x1f\x8b");
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
  if (begin_ > 0) {
    std::memmove(text_.data(), text_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == text_.size()) text_.resize(2 * text_.size());
  char* into = text_.data() + end_;
  const std::size_t room = text_.size() - end_;
  const std::size_t got = compressed_ ? inflateInto(into, room) : readRaw(into, room);
  end_ += got;
  return got > 0;
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

bool Source::nextLine(std::string_view& line) {
  for (;;) {
    const char* start = text_.data() + begin_;
    const auto* stop = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
    if (stop != nullptr || (!refill() && begin_ < end_)) {
      if (stop == nullptr) stop = text_.data() + end_;
      start = text_.data() + begin_;
      begin_ = std::min(end_, static_cast<std::size_t>(stop - text_.data()) + 1);
      line = std::string_view(start, static_cast<std::size_t>(stop - start));
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNumber_;
      return true;
    }
    if (begin_ == end_) return false;
  }
}

}  // namespace fileio
