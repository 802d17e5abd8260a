// What the fuzz targets share: running a program's entry in-process on one
// input, with its exits turned into a returned status and its output
// captured, and the fixed texts a run may end with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "problem_text.h"

// The program entry under test: the program's main, compiled under this name.
int programMain(int argc, char** argv);

// Thrown in place of an exit of the program under test; runProgram catches it.
struct ProgramExit {
  int status;
};

struct Outcome {
  int status;       // what the program returned or passed to exit
  std::string out;  // standard output
  std::string err;  // standard error, when captured
};

// Runs `entry` with `args` as its command line and `data` as standard
// input. Standard error is captured only when asked for: otherwise it stays
// with the fuzzer, which reports there.
Outcome runProgram(int (*entry)(int, char**), const std::vector<std::string>& args,
                   const uint8_t* data, size_t size, bool captureErr = false);

// Reports a wrong outcome with the input's text and aborts, which the fuzzer
// records as a crash.
[[noreturn]] void finding(const std::string& what, const Outcome& outcome);

// The six figures of a report line: the sizes, the result, the two
// counters and the seconds.
struct ReportFigures {
  long long nodes = 0, edges = 0, result = 0, first = 0, second = 0;
  double seconds = 0;
};

// Reads `line` as a report line. Unless printing its figures again with
// `format` (five long long conversions, one double and the newline) gives
// `line` back byte for byte, reports `fault` as a finding.
ReportFigures readReportLine(const Outcome& outcome, const std::string& line, const char* format,
                             const char* fault = "malformed report line");

// The reader messages of the matching and the unit-flow programs.
extern const std::vector<std::string> kMatchingMessages;
extern const std::vector<std::string> kFlowMessages;
bool isOneOf(const std::string& text, const std::vector<std::string>& messages,
             const std::string& end);

// Whether the run refused its input file as a whole (a compression it does
// not read, a file it cannot read): status 1, nothing on standard output,
// and standard error (captured) beginning with "PROGRAM: ".
bool isFileRefusal(const Outcome& outcome, const std::string& program);

// `out` without the leading "Warning Upper Bound changed to 1\n" lines.
std::string withoutWarnings(const std::string& out);

// Picks one of `choices` from the input, so that a given input always runs
// with the same options.
const std::vector<std::string>& pick(const std::vector<std::vector<std::string>>& choices,
                                     const uint8_t* data, size_t size);

// The input a program accepted, as the verifier reads it. The verifier must
// read whatever a program accepts: a refusal is a finding, except that its
// memory budget (the fuzz targets' small one) may be too small for it, and
// then nothing is returned.
std::optional<verifier::Bipartite> verifierBipartite(const Outcome& outcome, const uint8_t* data,
                                                     size_t size,
                                                     verifier::VertexNumbers* numbers = nullptr);
std::optional<verifier::Network> verifierNetwork(const Outcome& outcome, const uint8_t* data,
                                                 size_t size, int64_t offset,
                                                 verifier::Capacities capacities);
