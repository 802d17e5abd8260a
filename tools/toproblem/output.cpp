#include "output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "fileio/input_error.h"

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

// mkstemp makes the file readable by its owner only; a finished output gets
// the permissions any new file would.
void giveUsualPermissions(int fd) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

}  // namespace

Output::Output(const std::string& path) : path_(path), buffer_(kBufferBytes) {
  if (path == "-") return;
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  temporary_ = path.substr(0, nameStart) + "." + path.substr(nameStart) + ".XXXXXX";
  fd_ = ::mkstemp(temporary_.data());
  if (fd_ < 0) {
    throw fileio::SystemError("cannot create a temporary file for " + path + ": " +
                              std::strerror(errno));
  }
  giveUsualPermissions(fd_);
}

Output::~Output() {
  if (temporary_.empty()) return;
  ::close(fd_);
  if (!committed_) ::unlink(temporary_.c_str());
}

void Output::flush() {
  std::size_t done = 0;
  while (done < used_) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw fileio::SystemError("cannot write " + path_ + ": " + std::strerror(errno));
    done += static_cast<std::size_t>(n);
  }
  used_ = 0;
}

void Output::reserve(std::size_t bytes) {
  if (used_ + bytes > buffer_.size()) flush();
  if (bytes > buffer_.size()) buffer_.resize(bytes);
}

void Output::text(std::string_view text) {
  reserve(text.size());
  std::memcpy(buffer_.data() + used_, text.data(), text.size());
  used_ += text.size();
}

void Output::comment(std::string_view line) {
  text("c ");
  text(line);
  text("\n");
}

void Output::number(std::uint64_t value) {
  char* at = buffer_.data() + used_;
  used_ = static_cast<std::size_t>(std::to_chars(at, at + 20, value).ptr - buffer_.data());
}

void Output::arc(std::uint64_t tail, std::uint64_t head, int capacity) {
  reserve(2 + 3 * 21);
  buffer_[used_++] = 'a';
  buffer_[used_++] = ' ';
  number(tail);
  buffer_[used_++] = ' ';
  number(head);
  if (capacity >= 0) {
    buffer_[used_++] = ' ';
    number(static_cast<std::uint64_t>(capacity));
  }
  buffer_[used_++] = '\n';
}

void Output::commit() {
  flush();
  if (temporary_.empty()) return;
  if (::fsync(fd_) != 0 || ::rename(temporary_.c_str(), path_.c_str()) != 0) {
    throw fileio::SystemError("cannot write " + path_ + ": " + std::strerror(errno));
  }
  committed_ = true;
}
