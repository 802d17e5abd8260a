// Fuzz target of fastflow: the whole run on the input, with options drawn
// from it. A run must end in one of the unit-flow reader's messages, or
// fastflow's own about capacities, and a newline with status 1 (or a
// refusal of the whole file, such as a compression it does not read), or in
// the report line with status 0, whose value must be the maximum the
// verifier finds in the input text (with every arc one unit under --unit).
// The core proves every result it returns (CheckResult) in this build, and
// aborts if not.
#include <getopt.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"
#include "problem_text.h"
#include "verifier.h"

namespace {

const std::vector<std::vector<std::string>> kOptions = {{},
                                                        {"-a", "push-relabel"},
                                                        {"-o0"},
                                                        {"-o", "3", "-a=dinic"},
                                                        {"-a", "push-relabel", "-o=0"},
                                                        {"--unit"},
                                                        {"-a", "highest-label"},
                                                        {"-a", "boykov-kolmogorov", "-o0"},
                                                        {"-a", "pseudoflow"},
                                                        {"-a", "hybrid"},
                                                        {"--unit", "-a", "dinic"},
                                                        {"-a", "partial-augment"}};

// The messages of fastflow's capacities, which end with an arc line's number.
const std::vector<std::string> kCapacityMessages = {
    "capacity out of range (0 to 4611686018427387904) in arc line ",
    "capacity not a whole number in arc line "};
const std::string kOverflow =
    "the capacities out of the source or into the sink add up to more than 2^62\n";

bool isCapacityMessage(const std::string& out) {
  if (out == kOverflow) return true;
  for (const std::string& m : kCapacityMessages) {
    if (out.compare(0, m.size(), m) != 0) continue;
    const size_t digits = out.find_first_not_of("0123456789", m.size());
    return digits > m.size() && digits + 1 == out.size() && out[digits] == '\n';
  }
  return false;
}

bool has(const std::vector<std::string>& args, const char* option) {
  for (const std::string& arg : args)
    if (arg == option) return true;
  return false;
}

long offsetOf(const std::vector<std::string>& args) {
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o0" || args[i] == "-o=0") return 0;
    if (args[i] == "-o") return std::stol(args[i + 1]);
  }
  return 1;
}

void checkRun(const Outcome& outcome, const std::vector<std::string>& args, const uint8_t* data,
              size_t size) {
  const ReportFigures report =
      readReportLine(outcome, outcome.out, "%8lld %8lld %8lld %21lld %21lld %11.3f\n");
  const verifier::Capacities capacities =
      has(args, "--unit") ? verifier::Capacities::kUnit : verifier::Capacities::kRead;
  std::optional<verifier::Network> network =
      verifierNetwork(outcome, data, size, offsetOf(args), capacities);
  if (!network) return;
  if (report.nodes != network->nodes || report.edges != long(network->arcs.size()))
    finding("wrong sizes", outcome);
  std::string fault = verifier::checkFlowValue(*network, report.result);
  if (!fault.empty()) finding("against the input: " + fault, outcome);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The suite's format alone: the other formats' readers have a target of
  // their own (fileio_target.cpp).
  std::vector<std::string> args = {FUZZ_PROGRAM, "--format", "problem"};
  for (const std::string& option : pick(kOptions, data, size)) args.push_back(option);
  Outcome outcome = runProgram(programMain, args, data, size, true);
  if (outcome.status == 1) {
    if (!isFileRefusal(outcome, FUZZ_PROGRAM) && !isOneOf(outcome.out, kFlowMessages, "\n") &&
        !isCapacityMessage(outcome.out))
      finding("not a reader message", outcome);
  } else if (outcome.status == 0) {
    checkRun(outcome, args, data, size);
  } else {
    finding("unexpected exit status", outcome);
  }
  optind = 0;
  return 0;
}
