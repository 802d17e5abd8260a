// safe-write: writes its standard input to a result file through the
// suite's one safe writer, for the Python tools, which name their outputs
// as the C++ programs do and keep their messages and rules.
//
//     safe-write [--check] [--name PROGRAM] [--input FILE]... -- LABEL OUTPUT [LABEL OUTPUT]...
//
// Every OUTPUT is first checked as the C++ programs check theirs: none may
// be one of the --input files or another OUTPUT (by device and inode), and
// each must be writable where it is. Then standard input is copied to the
// first OUTPUT; the others are the caller's other result files, named only
// for the check. With --check nothing is read or written: a caller checks
// its outputs so before a long run. LABEL names its OUTPUT in messages, as
// an option would ("--plot F is the input file P; it is not overwritten");
// every message goes to standard error after "PROGRAM: " (default
// safe-write).
//
// Exit status: 0 when written (or, with --check, writable); 1 when an
// output cannot be written, or reading standard input failed (the target
// is then as it was); 2 for a usage error, or an output that is an input or
// another output, as toproblem counts such a refusal.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fileio/output_paths.h"
#include "fileio/safe_writer.h"

namespace {

constexpr char kUsage[] =
    "usage: safe-write [--check] [--name PROGRAM] [--input FILE]... -- LABEL OUTPUT "
    "[LABEL OUTPUT]...\n";
constexpr int kFailed = 1;
constexpr int kRefused = 2;

struct Command {
  bool check_only = false;
  std::string program = "safe-write";
  fileio::RunFiles files;
};

[[noreturn]] void Usage(const std::string& why) {
  std::fprintf(stderr, "safe-write: %s\n%s", why.c_str(), kUsage);
  std::exit(kRefused);
}

Command Parse(int argc, char** argv) {
  Command command;
  int at = 1;
  for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
    std::string option = argv[at];
    if (option == "--check") {
      command.check_only = true;
    } else if ((option == "--name" || option == "--input") && at + 1 < argc) {
      std::string value = argv[++at];
      if (option == "--name") command.program = value;
      if (option == "--input") command.files.inputs.push_back(value);
    } else {
      Usage("unknown option or missing value: " + option);
    }
  }
  int pairs = argc - at - 1;
  if (pairs <= 0 || pairs % 2 != 0) Usage("expected -- and then LABEL OUTPUT pairs");
  for (++at; at < argc; at += 2) {
    if (argv[at + 1][0] == '\0') Usage("an empty OUTPUT path");
    command.files.outputs.emplace_back(argv[at], argv[at + 1]);
  }
  return command;
}

int Fail(const Command& command, const std::string& message, int status) {
  std::fprintf(stderr, "%s: %s\n", command.program.c_str(), message.c_str());
  return status;
}

// Standard input, whole, into `writer`; an empty string, or why not.
std::string CopyStandardInput(fileio::SafeWriter& writer) {
  static char chunk[1 << 16];
  for (;;) {
    ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
    if (got == 0) return "";
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::string("cannot read the standard input: ") + std::strerror(errno);
    writer.Write(chunk, size_t(got));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::printf("%s", kUsage);
    return 0;
  }
  Command command = Parse(argc, argv);
  if (std::optional<fileio::Refusal> refusal = fileio::CheckOutputs(command.files))
    return Fail(command, refusal->message, refusal->clash ? kRefused : kFailed);
  if (command.check_only) return 0;

  fileio::SafeWriter writer(command.files.outputs.front().second);
  if (!writer.Open()) return Fail(command, writer.error(), kFailed);
  // Leaving the writer uncommitted leaves the target as it was.
  if (std::string fault = CopyStandardInput(writer); !fault.empty())
    return Fail(command, fault, kFailed);
  if (!writer.Commit()) return Fail(command, writer.error(), kFailed);
  return 0;
}
