// An output file written whole: the text goes to a temporary file next to
// the target, which replaces the target only once everything was written,
// so a failed run never leaves a partial or emptied file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class OutputFile {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file; false (with error() set) when it cannot.
  bool Open();
  void Text(const char* text);
  void Number(int64_t value);
  void Char(char c) {
    buffer_.push_back(c);
    if (buffer_.size() >= kFlushBytes) Flush();
  }
  // Writes what is left and renames the temporary file to the target; false
  // (with error() set, the temporary file removed) when any write failed.
  bool Commit();
  const std::string& error() const { return error_; }

 private:
  static constexpr size_t kFlushBytes = size_t{1} << 16;
  void Flush();
  void Failed(const char* what);

  std::string path_;
  std::string temporary_;  // empty until Open() succeeds, and after Commit()
  int fd_ = -1;
  std::vector<char> buffer_;
  std::string error_;  // the first failure, "" while none
};

// Whether `path` names the same file as standard input.
bool isStandardInput(const char* path);
