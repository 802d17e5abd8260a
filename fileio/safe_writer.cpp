#include "safe_writer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace fileio {

namespace {

// Writes all of `data`; 0, or the errno of the failed write.
int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    data += written;
    size -= size_t(written);
  }
  return 0;
}

mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A socket cannot be opened; a stream socket's listener is connected to.
int ConnectTo(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

SafeWriter::SafeWriter(StandardOutput)
    : given_("the standard output"), fd_(STDOUT_FILENO), standard_output_(true) {}

SafeWriter::~SafeWriter() { Discard(); }

bool SafeWriter::Open() {
  if (standard_output_) return true;
  std::optional<OutputTarget> target = ResolveOutput(given_, &error_);
  if (!target) return false;
  target_ = *target;
  if (target_.kind == OutputTarget::Kind::kInPlace) {
    fd_ = open(target_.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0 && errno == ENXIO) fd_ = ConnectTo(target_.path);
    return fd_ >= 0 || Fail("cannot write ", errno);
  }
  std::string temporary = target_.path + ".XXXXXX";
  fd_ = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd_ < 0) return Fail("cannot create a temporary file beside ", errno);
  temporary_ = temporary;
  return true;
}

void SafeWriter::Write(const char* data, size_t size) {
  if (size <= kBufferBytes - used_) {
    std::memcpy(buffer_ + used_, data, size);
    used_ += size;
    return;
  }
  Flush();
  if (size < kBufferBytes) return Write(data, size);
  if (error_.empty()) {
    int error = WriteAll(fd_, data, size);
    if (error != 0) Fail("cannot write ", error);
  }
}

void SafeWriter::Flush() {
  if (error_.empty() && used_ > 0) {
    int error = WriteAll(fd_, buffer_, used_);
    if (error != 0) Fail("cannot write ", error);
  }
  used_ = 0;
}

bool SafeWriter::Commit() {
  Flush();
  if (!error_.empty() || !Finish()) {
    Discard();
    return false;
  }
  return true;
}

bool SafeWriter::Finish() {
  if (standard_output_) return true;
  if (target_.kind == OutputTarget::Kind::kInPlace) return Close();
  mode_t mode = target_.kind == OutputTarget::Kind::kNew ? NewFileMode() : target_.mode;
  if (fchmod(fd_, mode) != 0 || fsync(fd_) != 0) return Fail("cannot write ", errno);
  if (target_.kind == OutputTarget::Kind::kRegular && target_.links > 1) {
    if (!CopyOverLinkedFile()) return false;
    Discard();
    return true;
  }
  if (!Close()) return false;
  if (std::rename(temporary_.c_str(), target_.path.c_str()) != 0)
    return Fail("cannot write ", errno);
  temporary_.clear();
  return true;
}

// The finished text, read back from the temporary file (other processes
// may have written parts of it), over the file itself.
bool SafeWriter::CopyOverLinkedFile() {
  int target = open(target_.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (target < 0) return Fail("cannot write ", errno);
  int error = 0;
  for (off_t offset = 0; error == 0;) {
    ssize_t got = pread(fd_, buffer_, kBufferBytes, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error = got < 0 ? errno : 0;
      break;
    }
    error = WriteAll(target, buffer_, size_t(got));
    offset += got;
  }
  if (error == 0 && fsync(target) != 0) error = errno;
  if (close(target) != 0 && error == 0) error = errno;
  return error == 0 || Fail("cannot write ", error);
}

bool SafeWriter::Close() {
  int closed = close(fd_);
  fd_ = -1;
  return closed == 0 || Fail("cannot write ", errno);
}

void SafeWriter::Discard() {
  if (fd_ >= 0 && !standard_output_) close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

bool SafeWriter::Fail(const char* what, int error) {
  if (error_.empty()) error_ = what + given_ + ": " + std::strerror(error);
  return false;
}

bool FinishStandardOutput(std::string* error) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  *error = std::string("cannot write the standard output: ") + std::strerror(errno);
  return false;
}

}  // namespace fileio
