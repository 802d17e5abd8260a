// A problem file as the programs beyond the eight take it: a path or
// standard input, plain or gzip-compressed, in a format told by its content
// unless the caller names one.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "fileio/input_format.h"
#include "fileio/source.h"

namespace fileio {

class InputFile {
 public:
  // Opens `path` ("-": standard input) and settles its format: `format`, or
  // the one its first bytes show when that is kAuto. Throws SystemError when
  // the file cannot be opened or read, InputError for a compression it
  // cannot read.
  InputFile(const std::string& path, Format format);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  Format format() const { return format_; }
  const std::string& path() const { return source_.path(); }

  // The text as lines from its first, for this library's readers.
  Source& source() { return source_; }

  // The whole text as a stream, for a reader of the suite's format that
  // reads a FILE; use either this or source(), not both. A plain regular
  // file is handed over as it is, at no cost; other input (a pipe, gzip)
  // flows through this object, and a fault met on the way is passed to
  // `report` (as "FILE: what") before the stream fails with a read error.
  // Null when no stream can be made.
  FILE* stream(std::function<void(const std::string&)> report);

 private:
  static ssize_t readText(void* self, char* into, std::size_t size);

  Source source_;
  Format format_;
  FILE* stream_ = nullptr;
  bool closeStream_ = false;  // the stream is ours, not the process's stdin
  std::function<void(const std::string&)> report_;
};

}  // namespace fileio
