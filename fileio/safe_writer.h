// The one way a program beyond the eight writes a result file. The text
// reaches its target whole or not at all, and never destroys what the
// target is:
// - a regular file, or a path that names nothing yet: the text goes to a
//   temporary file in the same folder, which is fsync'd and renamed over
//   the target, keeping the old file's permissions;
// - a regular file with other hard links: the finished temporary file is
//   copied over the file in place, so that every link sees the result;
// - a symlink: the rule applies to the file it points to;
// - a character device, FIFO or socket: written as it is (`/dev/null`
//   discards, `/dev/full` fails with "No space left on device").
// Every failure leaves no temporary file behind, the destructor included.
// Errors are values: Open() and Commit() say whether all went well, and
// error() says why not. Refusing outputs that are inputs or each other is
// CheckOutputs()'s part (output_paths.h), done before anything is read.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "output_paths.h"

namespace fileio {

// Tag for a writer of the already open standard output.
struct StandardOutput {};

class SafeWriter {
 public:
  explicit SafeWriter(std::string path) : given_(std::move(path)) {}
  // Writes the standard output as it is; Commit() only flushes.
  explicit SafeWriter(StandardOutput);
  ~SafeWriter();
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;

  // Resolves the path and opens where the text goes first.
  bool Open();

  void Write(const char* data, size_t size);
  void Text(std::string_view text) { Write(text.data(), text.size()); }
  void Char(char c) {
    if (used_ == kBufferBytes) Flush();
    buffer_[used_++] = c;
  }
  void Number(int64_t value) {
    if (kBufferBytes - used_ < kNumberBytes) Flush();
    used_ = size_t(std::to_chars(buffer_ + used_, buffer_ + kBufferBytes, value).ptr - buffer_);
  }

  // Puts the text in place. False, with error(), when any write failed;
  // the target is then as it was, except a hard-linked file whose copy
  // failed part way.
  bool Commit();
  const std::string& error() const { return error_; }

  // The temporary file, for a program whose other processes write parts of
  // it (each at its own offset) before Commit(); empty when the text goes
  // to the target directly.
  const std::string& temporary_path() const { return temporary_; }

 private:
  static constexpr size_t kBufferBytes = size_t{1} << 17;
  static constexpr size_t kNumberBytes = 24;

  void Flush();
  // Commit()'s last steps, after the final flush.
  bool Finish();
  bool CopyOverLinkedFile();
  bool Close();
  // Closes the file and removes the temporary file, if still there.
  void Discard();
  // Records the first failure as "WHAT PATH: REASON"; always false.
  bool Fail(const char* what, int error);

  std::string given_;      // the path as the user wrote it, for messages
  OutputTarget target_;    // set by Open()
  std::string temporary_;  // the temporary file while it exists
  int fd_ = -1;            // the temporary file or the target; -1 when closed
  bool standard_output_ = false;
  std::string error_;  // the first failure; writes after it are dropped
  size_t used_ = 0;    // bytes of buffer_ not yet written
  char buffer_[kBufferBytes];
};

// Flushes the standard output; false, with `*error` ("cannot write the
// standard output: REASON"), when it failed then or before.
bool FinishStandardOutput(std::string* error);

}  // namespace fileio
