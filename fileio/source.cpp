#include "fileio/source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "fileio/compression.h"
#include "fileio/input_error.h"

namespace fileio {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

}  // namespace

// The text buffer holds a longest line and a block after it, so that only a
// rewindable source ever grows it: refill() reads when no line ends in the
// unread text, which is then at most a longest line.
Source::Source(const std::string& path, Use use)
    : path_(path),
      keepAll_(use == Use::kRewindable),
      checksum_(use == Use::kChecksum),
      text_(new char[kLongestLine + kBlockBytes]),
      capacity_(kLongestLine + kBlockBytes) {
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
  if (ownsFd_) ::close(fd_);
}

// Fills `into` unless the input ends first; once it has ended, reads no
// more (a terminal would wait for a second end-of-file).
std::size_t Source::readRaw(char* into, std::size_t size) {
  if (rawEnd_) return 0;
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd_, into + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw SystemError("cannot read " + shownPath(path_) + ": " + std::strerror(errno));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  rawEnd_ = got < size;
  if (checksum_) crc_ = crc32Update(crc_, into, got);
  rawBytes_ += got;
  return got;
}

// The first block decides: gzip is inflated, plain text taken as it is. A
// read error there is kept for the first read of the text, so that a reader
// meets it where it would meet any other.
void Source::detectCompression() {
  try {
    end_ = readRaw(text_.get(), kBlockBytes);
  } catch (const SystemError& error) {
    readError_ = error.what();
    rawEnd_ = true;
    return;
  }
  const std::string_view first(text_.get(), end_);
  const Compression* compression = compressionOf(first);
  if (compression == nullptr) return;
  if (compression->name != kGzip.name) throw InputError(0, refuseCompression(*compression));
  gzip_ = std::make_unique<GzipStream>(
      first, [this](char* into, std::size_t size) { return readRaw(into, size); });
  end_ = 0;
}

bool Source::refill() {
  if (!keepAll_ && begin_ > 0) {
    std::memmove(text_.get(), text_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (capacity_ - end_ < kBlockBytes) {
    std::unique_ptr<char[]> larger(new char[2 * capacity_]);
    std::memcpy(larger.get(), text_.get(), end_);
    text_ = std::move(larger);
    capacity_ *= 2;
  }
  const std::size_t got = decode(text_.get() + end_, capacity_ - end_);
  end_ += got;
  return got > 0;
}

std::size_t Source::decode(char* into, std::size_t size) {
  if (!readError_.empty()) throw SystemError(readError_);
  return gzip_ ? gzip_->read(into, size) : readRaw(into, size);
}

bool Source::nextLine(std::string_view& line) {
  std::size_t searched = 0;  // bytes of the unread text known to hold no '\n'
  for (;;) {
    const char* start = text_.get() + begin_;
    const auto* stop =
        static_cast<const char*>(std::memchr(start + searched, '\n', end_ - begin_ - searched));
    searched = stop != nullptr ? static_cast<std::size_t>(stop - start) : end_ - begin_;
    if (searched > kLongestLine) {
      throw InputError(0, "line " + std::to_string(lineNumber_ + 1) + " longer than " +
                              std::to_string(kLongestLine) + " bytes");
    }
    if (stop == nullptr && refill()) continue;
    if (begin_ == end_) return false;
    start = text_.get() + begin_;
    line = std::string_view(start, searched);
    begin_ = std::min(end_, begin_ + searched + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineNumber_;
    return true;
  }
}

std::string_view Source::peek(std::size_t bytes) {
  bytes = std::min(bytes, kLongestLine);
  while (readError_.empty() && end_ - begin_ < bytes && refill()) {
  }
  return {text_.get() + begin_, end_ - begin_};
}

void Source::rewind() {
  if (!keepAll_) throw std::logic_error("rewind() of a source that does not keep its lines");
  begin_ = 0;
  lineNumber_ = 0;
  keepAll_ = false;
}

std::size_t Source::read(char* into, std::size_t size) {
  if (begin_ == end_) return decode(into, size);
  const std::size_t n = std::min(size, end_ - begin_);
  std::memcpy(into, text_.get() + begin_, n);
  begin_ += n;
  return n;
}

int Source::releaseDescriptor() {
  struct stat status;
  if (gzip_ || start_ < 0 || ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    return -1;
  }
  const auto at = static_cast<off_t>(start_ + rawBytes_ - (end_ - begin_));
  if (::lseek(fd_, at, SEEK_SET) != at) return -1;
  ownsFd_ = false;
  text_.reset();  // the caller reads on; the source has nothing more to give
  capacity_ = begin_ = end_ = 0;
  rawEnd_ = true;
  return fd_;
}

}  // namespace fileio
