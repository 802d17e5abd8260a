#include "harness.h"

#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

// Exits of the program under test become exceptions, caught by runProgram.
// The link wraps every call of exit; outside a run it exits as usual.
namespace {
bool insideRun = false;
}
extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status) {
  if (insideRun) throw ProgramExit{status};
  __real_exit(status);
}

namespace {

// A memory file standing in for one of the standard descriptors during a run.
class Capture {
 public:
  explicit Capture(int target) : target(target) {
    file = memfd_create("fuzz-capture", 0);
    saved = dup(target);
    if (file < 0 || saved < 0) std::abort();
  }
  void start() {
    if (ftruncate(file, 0) != 0 || lseek(file, 0, SEEK_SET) != 0) std::abort();
    dup2(file, target);
  }
  std::string finish() {
    dup2(saved, target);
    std::string text(lseek(file, 0, SEEK_END), '\0');
    if (pread(file, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) std::abort();
    return text;
  }

 private:
  int target, file, saved;
};

// Sanitizer reports go to the real standard error even while it is captured.
int reportFd() {
  static int fd = [] {
    int copy = dup(2);
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(copy)));
    return copy;
  }();
  return fd;
}

// The run's standard input: the data in a memory file on descriptor 0, so
// that a program may read it through stdin or through the descriptor (and
// seek in it, as in a regular file).
class Input {
 public:
  Input() {
    file = memfd_create("fuzz-input", 0);
    saved = dup(0);
    if (file < 0 || saved < 0) std::abort();
  }
  FILE* start(const uint8_t* data, size_t size) {
    if (ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != static_cast<ssize_t>(size) ||
        lseek(file, 0, SEEK_SET) != 0 || dup2(file, 0) != 0)
      std::abort();
    return fdopen(dup(0), "r");
  }
  void finish() { dup2(saved, 0); }

 private:
  int file, saved;
};

}  // namespace

Outcome runProgram(int (*entry)(int, char**), const std::vector<std::string>& args,
                   const uint8_t* data, size_t size, bool captureErr) {
  static Capture out(1), err(2);
  static Input in;
  reportFd();
  std::vector<std::string> words = args;
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  FILE* realStdin = stdin;
  stdin = in.start(data, size);
  std::fflush(stdout);
  std::fflush(stderr);
  out.start();
  if (captureErr) err.start();
  Outcome outcome{0, "", ""};
  insideRun = true;
  try {
    outcome.status = entry(static_cast<int>(words.size()), argv.data());
  } catch (const ProgramExit& e) {
    outcome.status = e.status;
  }
  insideRun = false;
  std::fflush(stdout);
  std::fflush(stderr);
  outcome.out = out.finish();
  if (captureErr) outcome.err = err.finish();
  std::fclose(stdin);
  in.finish();
  stdin = realStdin;
  return outcome;
}

bool isFileRefusal(const Outcome& outcome, const std::string& program) {
  return outcome.status == 1 && outcome.out.empty() && outcome.err.rfind(program + ": ", 0) == 0;
}

void finding(const std::string& what, const Outcome& outcome) {
  std::FILE* report = fdopen(dup(reportFd()), "w");
  std::fprintf(report, "FINDING: %s\nstatus %d\nstdout: [%s]\nstderr: [%s]\n", what.c_str(),
               outcome.status, outcome.out.c_str(), outcome.err.c_str());
  std::fclose(report);
  std::abort();
}

const std::vector<std::string> kMatchingMessages = {
    "unknown line type in the input",
    "more than one problem line",
    "wrong number of parameters in the problem line",
    "It is not a Bipartite Matching problem line",
    "bad value of a parameter in the problem line",
    "can't obtain enough memory to solve this problem",
    "problem description must come first",
    "Node line not allowed in bipartite graph formulation",
    "wrong number of parameters in a node description line",
    "invalid node number",
    "Multiple sources not permitted",
    "Multiple sinks not permitted",
    "Improper source-sink description in node description line",
    "too many arcs input",
    "wrong number of parameters in an arc desrciption line",
    "invalid node reference in an arc description line",
    "reading error",
    "input file is empty",
    "no problem line in the input",
    "too few arcs input",
    "no source or sink in the input",
    "not a bipartite matching network",
};

const std::vector<std::string> kFlowMessages = {
    "unknown line type in the input",
    "more than one problem line",
    "wrong number of parameters in the problem line",
    "it is not a Unit Flow problem line",
    "bad value of a parameter in the problem line",
    "can't obtain enough memory to solve this problem",
    "problem description must come first",
    "wrong number of parameters in a node description line",
    "invalid node number",
    "Multiple sources not permitted",
    "Multiple sinks not permitted",
    "Improper source-sink description in node description line",
    "too few nodes lines",
    "too many arcs input",
    "wrong number of parameters in an arc desrciption line",
    "invalid node reference in an arc description line",
    "reading error",
    "input file is empty",
    "no problem line in the input",
    "too few arcs input",
    "no source or sink in the input",
};

ReportFigures readReportLine(const Outcome& outcome, const std::string& line, const char* format,
                             const char* fault) {
  ReportFigures r;
  if (std::sscanf(line.c_str(), "%lld %lld %lld %lld %lld %lf", &r.nodes, &r.edges, &r.result,
                  &r.first, &r.second, &r.seconds) != 6)
    finding("no report line", outcome);
  char expected[200];
  std::snprintf(expected, sizeof expected, format, r.nodes, r.edges, r.result, r.first, r.second,
                r.seconds);
  if (line != expected) finding(fault, outcome);
  return r;
}

bool isOneOf(const std::string& text, const std::vector<std::string>& messages,
             const std::string& end) {
  for (const std::string& m : messages)
    if (text == m + end) return true;
  return false;
}

std::string withoutWarnings(const std::string& out) {
  static const std::string warning = "Warning Upper Bound changed to 1\n";
  size_t at = 0;
  while (out.compare(at, warning.size(), warning) == 0) at += warning.size();
  return out.substr(at);
}

const std::vector<std::string>& pick(const std::vector<std::vector<std::string>>& choices,
                                     const uint8_t* data, size_t size) {
  size_t sum = size;
  for (size_t i = 0; i < size; ++i) sum += data[i];
  return choices[sum % choices.size()];
}

namespace {

template <class Read>
auto verifierReads(const Outcome& outcome, const uint8_t* data, size_t size, Read read)
    -> std::optional<decltype(read(std::declval<const verifier::TextFile&>()))> {
  verifier::TextFile input("input", std::string(reinterpret_cast<const char*>(data), size));
  try {
    return read(input);
  } catch (const verifier::InputFault& fault) {
    if (fault.kind == verifier::InputFault::Kind::kMemory) return std::nullopt;
    finding("the verifier refuses the accepted input: " + fault.message, outcome);
  }
}

}  // namespace

std::optional<verifier::Bipartite> verifierBipartite(const Outcome& outcome, const uint8_t* data,
                                                     size_t size,
                                                     verifier::VertexNumbers* numbers) {
  return verifierReads(outcome, data, size, [&](const verifier::TextFile& input) {
    return verifier::readBipartite(input, numbers);
  });
}

std::optional<verifier::Network> verifierNetwork(const Outcome& outcome, const uint8_t* data,
                                                 size_t size, int64_t offset,
                                                 verifier::Capacities capacities) {
  return verifierReads(outcome, data, size, [&](const verifier::TextFile& input) {
    return verifier::readNetwork(input, offset, capacities);
  });
}
