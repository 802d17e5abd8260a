// A problem file as the programs beyond the eight take it: a path or
// standard input, plain or gzip-compressed, in a format told by its content
// unless the caller names one.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "fileio/input_format.h"
#include "fileio/source.h"
#include "fileio/vertex_names.h"

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

  // The name table that the comment lines at the start of a file of the
  // suite's format carry ("c name SIDE ID NAME", as toproblem --names
  // writes them); empty when they carry none. Only before source() and
  // stream(). Throws InputError for a name line out of order.
  VertexNames leadingNames();

  // The text as lines from its first, for this library's readers.
  Source& source() {
    settle();
    return source_;
  }

  // The whole text as a stream, for a reader of the suite's format that
  // reads a FILE; use either this or source(), not both. A plain regular
  // file is handed over as it is, at no cost; other input (a pipe, gzip)
  // flows through this object, and a fault met on the way is passed to
  // `report` (as "FILE: what") before the stream fails with a read error.
  // Null when no stream can be made.
  FILE* stream(std::function<void(const std::string&)> report);

 private:
  static ssize_t readText(void* self, char* into, std::size_t size);
  // Back to the first line, once the look at the start is over.
  void settle();

  Source source_;
  Format format_;
  bool settled_ = false;
  FILE* stream_ = nullptr;
  bool closeStream_ = false;  // the stream is ours, not the process's stdin
  std::function<void(const std::string&)> report_;
};

}  // namespace fileio
