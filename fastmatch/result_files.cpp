#include "result_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Buffered text into a temporary file that Commit() renames to the target.
class AtomicFile {
 public:
  explicit AtomicFile(const std::string& path) : path_(path), temp_(path + ".XXXXXX") {
    fd_ = mkstemp(temp_.data());
    if (fd_ < 0) error_ = Reason("cannot create a file next to");
    buffer_.reserve(kFlushBytes + 64);
  }
  ~AtomicFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && fd_ >= 0) unlink(temp_.c_str());
  }

  void Text(const char* text) { buffer_.append(text); }
  void Number(long value) {
    char digits[24];
    buffer_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  }
  void Char(char c) {
    buffer_.push_back(c);
    if (buffer_.size() >= kFlushBytes) Flush();
  }

  // Empty on success, else the reason.
  std::string Commit() {
    Flush();
    if (error_.empty() && fchmod(fd_, 0666 & ~CurrentUmask()) != 0) error_ = Reason("cannot write");
    if (error_.empty() && close(fd_) != 0) error_ = Reason("cannot write");
    fd_ = -1;
    if (error_.empty() && std::rename(temp_.c_str(), path_.c_str()) != 0)
      error_ = Reason("cannot write");
    committed_ = error_.empty();
    if (!committed_) unlink(temp_.c_str());
    return error_;
  }

 private:
  static constexpr size_t kFlushBytes = size_t{1} << 20;

  static mode_t CurrentUmask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
  }

  std::string Reason(const char* what) const {
    return std::string(what) + " " + path_ + ": " + std::strerror(errno);
  }

  void Flush() {
    size_t done = 0;
    while (error_.empty() && done < buffer_.size()) {
      ssize_t n = write(fd_, buffer_.data() + done, buffer_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error_ = Reason("cannot write");
      done += n > 0 ? size_t(n) : 0;
    }
    buffer_.clear();
  }

  std::string path_;
  std::string temp_;
  int fd_ = -1;
  bool committed_ = false;
  std::string buffer_;
  std::string error_;
};

void Header(AtomicFile& file, const char* what, const MatchingProblemFile& problem, long size) {
  file.Text("c ");
  file.Text(what);
  file.Text(" of ");
  file.Number(problem.rows);
  file.Text(" + ");
  file.Number(problem.cols);
  file.Text(" vertices, ");
  file.Number(problem.edges);
  file.Text(" edges\nc size ");
  file.Number(size);
  file.Char('\n');
}

void Line(AtomicFile& file, long first, long second) {
  file.Number(first);
  file.Char(' ');
  file.Number(second);
  file.Char('\n');
}

void Entry(AtomicFile& file, char letter, long value) {
  file.Char(letter);
  file.Char(' ');
  file.Number(value);
  file.Char('\n');
}

}  // namespace

std::string WriteMatchingFile(const std::string& path, const MatchingProblemFile& problem,
                              const fast::MaximumMatching& matching) {
  AtomicFile file(path);
  Header(file, "matching", problem, matching.size());
  const std::vector<int32_t>& mates = matching.row_mates();
  for (int32_t r = 0; r < problem.rows; ++r)
    if (mates[r] >= 0) Line(file, problem.RowNumber(r), problem.ColNumber(mates[r]));
  return file.Commit();
}

std::string WriteCoverFile(const std::string& path, const MatchingProblemFile& problem,
                           const fast::MaximumMatching& matching) {
  std::vector<uint8_t> row_in_cover, col_in_cover;
  matching.MinimumVertexCover(&row_in_cover, &col_in_cover);
  AtomicFile file(path);
  Header(file, "vertex cover", problem, matching.size());
  for (int32_t r = 0; r < problem.rows; ++r)
    if (row_in_cover[r]) Line(file, 1, problem.RowNumber(r));
  for (int32_t c = 0; c < problem.cols; ++c)
    if (col_in_cover[c]) Line(file, 2, problem.ColNumber(c));
  return file.Commit();
}

namespace {

// "c LABEL" and the 1-based boundaries.
void Boundaries(AtomicFile& file, const char* label, const std::array<int32_t, 5>& boundaries) {
  file.Text("c ");
  file.Text(label);
  for (int32_t boundary : boundaries) {
    file.Char(' ');
    file.Number(boundary + 1L);
  }
  file.Char('\n');
}

}  // namespace

std::string WriteDecompositionFile(const std::string& path, const MatchingProblemFile& problem,
                                   const fast::DulmageMendelsohn& dm) {
  AtomicFile file(path);
  file.Text("c dulmage-mendelsohn ");
  Line(file, problem.rows, problem.cols);
  file.Text("c structural rank ");
  file.Number(dm.structural_rank());
  file.Text("\nc blocks ");
  file.Number(dm.blocks());
  file.Char('\n');
  Boundaries(file, "coarse rows", dm.coarse_rows());
  Boundaries(file, "coarse columns", dm.coarse_cols());
  for (int32_t r : dm.row_order()) Entry(file, 'p', problem.RowNumber(r));
  for (int32_t c : dm.col_order()) Entry(file, 'q', problem.ColNumber(c));
  for (int32_t b : dm.row_blocks()) Entry(file, 'r', b + 1L);
  for (int32_t b : dm.col_blocks()) Entry(file, 's', b + 1L);
  return file.Commit();
}

bool IsStandardInput(const std::string& path) {
  struct stat input, target;
  return fstat(STDIN_FILENO, &input) == 0 && stat(path.c_str(), &target) == 0 &&
         input.st_dev == target.st_dev && input.st_ino == target.st_ino;
}
