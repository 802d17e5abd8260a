// Which file an output path names, and the check, made before anything is
// read or written, that no result file would replace an input, the
// standard output or another result. Files are told apart by device and
// inode, never by name: `./q.txt` and `q.txt`, a symlink and its target,
// and two hard links of one file are each the same file.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fileio {

// Where a result written to a path goes, symlinks followed.
struct OutputTarget {
  enum class Kind {
    kNew,      // no file yet: created in `folder`
    kRegular,  // a regular file, replaced
    kInPlace,  // a character device, FIFO or socket, written as it is
  };
  Kind kind = Kind::kNew;
  // The file the result replaces or creates, symlinks resolved; for
  // kInPlace the path as given.
  std::string path;
  // The file's device and inode; for kNew, its folder's.
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;   // kNew: the file's name within its folder
  mode_t mode = 0;    // kRegular: the permission bits the result keeps
  nlink_t links = 0;  // kRegular: the file's hard links

  // Whether writing both would make one file of them. Results written in
  // place never clash: `-w /dev/null -c /dev/null` discards both.
  bool SameFileAs(const OutputTarget& other) const;
};

// Resolves `path`. Nullopt, with `*error` ("cannot write PATH: REASON"),
// when nothing can be written there: its folder is missing, it is a folder,
// or its symlinks loop.
std::optional<OutputTarget> ResolveOutput(const std::string& path, std::string* error);

// The files a run reads and writes.
struct RunFiles {
  bool standard_input = false;      // reads standard input
  bool standard_output = false;     // prints on standard output (a report line)
  std::vector<std::string> inputs;  // the files it reads by name
  // (option, path) for every result file; an empty path was not asked for.
  std::vector<std::pair<std::string, std::string>> outputs;
};

struct Refusal {
  // True when an output is an input, the standard output or another output
  // (a usage error); false when it cannot be written at all.
  bool clash = false;
  std::string message;  // "-w p.txt is the standard input; it is not overwritten"
};

// Nullopt when every output of `files` may be written.
std::optional<Refusal> CheckOutputs(const RunFiles& files);

}  // namespace fileio
