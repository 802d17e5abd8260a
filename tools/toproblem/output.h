// The converted problem, written through the safe writer: a named output
// file appears whole or not at all, and a device, FIFO or symlink target is
// written where it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fileio/safe_writer.h"

class Output {
 public:
  // "-" writes standard output. Throws SystemError when the file cannot be
  // opened.
  explicit Output(const std::string& path);

  // One line "c TEXT".
  void comment(std::string_view text);
  void text(std::string_view text) { writer_->Text(text); }
  // One line "a TAIL HEAD", or "a TAIL HEAD CAPACITY" when capacity >= 0.
  void arc(std::uint64_t tail, std::uint64_t head, int capacity = -1);
  // Throws SystemError when any write failed.
  void commit();

 private:
  std::optional<fileio::SafeWriter> writer_;  // always engaged
};
