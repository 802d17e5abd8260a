// Fuzz target of verify: the whole run on a problem and result files drawn
// from the input, which holds a check line, then the problem and up to two
// result files, each part after a line "---":
//
//     cut P F C 0
//     ---
//     p max 2 1 ...
//     ---
//     c flow value 1 ...
//     ---
//     c minimum cut capacity 1 ...
//
// The words P, F and C of the check line name the three parts' files. A
// run must end in one line "ok: ..." with status 0, in the false claim's
// line with status 1, or in a "verify: " message with status 2; never in a
// crash, a sanitizer report or a hang.
#include <sys/mman.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

constexpr size_t kMostWords = 8;

// The input's parts: the check line's words, and the files' texts.
struct Parts {
  std::vector<std::string> words;
  std::vector<std::string> files;
};

Parts split(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Parts parts;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find("\n---\n", begin);
    if (end == std::string::npos) end = text.size();
    parts.files.push_back(text.substr(begin, end - begin) + (end < text.size() ? "\n" : ""));
    begin = end + 5;
  }
  std::istringstream check(parts.files.front());
  parts.files.erase(parts.files.begin());
  for (std::string word; check >> word && parts.words.size() < kMostWords;)
    parts.words.push_back(word);
  parts.files.resize(3);
  return parts;
}

// A memory file holding `text`, named by its /proc path.
class MemoryFile {
 public:
  explicit MemoryFile(const std::string& text) : fd_(memfd_create("verify-input", 0)) {
    if (fd_ < 0 || write(fd_, text.data(), text.size()) != ssize_t(text.size())) std::abort();
  }
  ~MemoryFile() { close(fd_); }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

void checkOutcome(const Outcome& outcome) {
  const std::string& out = outcome.out;
  const bool oneLine = !out.empty() && out.find('\n') == out.size() - 1;
  const bool usage = out.rfind("usage: verify", 0) == 0;  // -h
  if (outcome.status == 0 && !(oneLine && out.rfind("ok: ", 0) == 0) && !usage)
    finding("a proof without its one line", outcome);
  if (outcome.status == 1 && !(oneLine && out.find(" : ") != std::string::npos))
    finding("a false claim without its line", outcome);
  if (outcome.status == 2 && !(out.empty() && outcome.err.rfind("verify: ", 0) == 0))
    finding("a file not judged without its message", outcome);
  if (outcome.status < 0 || outcome.status > 2) finding("unexpected exit status", outcome);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Parts parts = split(data, size);
  MemoryFile problem(parts.files[0]), first(parts.files[1]), second(parts.files[2]);
  std::vector<std::string> args = {"verify"};
  // "-" would read checks from the fuzzer's own standard input, which the
  // harness cannot replace under std::cin: it becomes a usage error.
  for (const std::string& word : parts.words)
    args.push_back(word == "P"   ? problem.path()
                   : word == "F" ? first.path()
                   : word == "C" ? second.path()
                   : word == "-" ? "--"
                                 : word);
  checkOutcome(runProgram(programMain, args, nullptr, 0, true));
  return 0;
}
