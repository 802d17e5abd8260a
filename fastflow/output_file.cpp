#include "output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

OutputFile::~OutputFile() {
  if (fd_ >= 0) close(fd_);
  if (!temporary_.empty()) unlink(temporary_.c_str());
}

bool OutputFile::Open() {
  std::string name = path_ + ".XXXXXX";
  fd_ = mkstemp(name.data());
  if (fd_ < 0) {
    Failed("cannot create a file next to");
    return false;
  }
  temporary_ = name;
  // mkstemp makes the file private; give it the mode a new file would get.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
  buffer_.reserve(kFlushBytes + 32);
  return true;
}

void OutputFile::Text(const char* text) {
  for (; *text != '\0'; ++text) Char(*text);
}

void OutputFile::Number(int64_t value) {
  char digits[24];
  int count = 0;
  uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
  do {
    digits[count++] = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) buffer_.push_back('-');
  while (count > 0) buffer_.push_back(digits[--count]);
  if (buffer_.size() >= kFlushBytes) Flush();
}

void OutputFile::Flush() {
  const char* p = buffer_.data();
  size_t left = buffer_.size();
  while (left > 0 && error_.empty()) {
    ssize_t written = write(fd_, p, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) Failed("cannot write");
    if (written > 0) {
      p += written;
      left -= size_t(written);
    }
  }
  buffer_.clear();
}

bool OutputFile::Commit() {
  Flush();
  int closed = close(fd_);
  fd_ = -1;
  if (closed != 0) Failed("cannot write");
  if (error_.empty() && std::rename(temporary_.c_str(), path_.c_str()) != 0)
    Failed("cannot replace");
  if (!error_.empty()) return false;
  temporary_.clear();
  return true;
}

void OutputFile::Failed(const char* what) {
  if (error_.empty()) error_ = std::string(what) + " " + path_ + ": " + std::strerror(errno);
}

bool isStandardInput(const char* path) {
  struct stat input, output;
  return fstat(STDIN_FILENO, &input) == 0 && stat(path, &output) == 0 &&
         input.st_dev == output.st_dev && input.st_ino == output.st_ino;
}
