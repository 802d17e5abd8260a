// Fuzz target of the option parser: the input, split at NUL bytes, is the
// command line of a matching program and then of a unit-flow program. The
// parser must either return with every parameter in its range, or end with
// status 1 after getopt's diagnostic and the usage text for the option
// string, nothing else, on standard error. A parse that returns may leave
// only its notes about -u values and an ignored operand there.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "options.h"
#include "run_state.h"

namespace {

const char* optionString = nullptr;

int parseOnly(int argc, char** argv) {
  parse_arguments(argc, argv, optionString);
  return 0;
}

// The usage text, written out here apart from the program's own printer.
std::string usageText(const std::string& program, bool flow) {
  std::string text = "Usage: " + program + (flow ? " -g -oX -uU\n" : " -g -i -oX -uU\n");
  text += "       -g  disables gap checking\n";
  if (!flow) text += "       -i perform greedy initialization\n";
  text +=
      "       -oX vertex labels start at X (default " + std::to_string(param.labelOffset) + ")\n";
  text += "       -uU is global recalc parameter\n";
  text += "              if U=0 then global recalc is never performed\n";
  return text;
}

bool isDiagnostic(const std::string& text, const std::string& program) {
  for (const char* kind : {": invalid option -- '", ": option requires an argument -- '"}) {
    std::string start = program + kind;
    if (text.size() == start.size() + 3 && text.compare(0, start.size(), start) == 0 &&
        text.compare(text.size() - 2, 2, "'\n") == 0)
      return true;
  }
  return false;
}

// True when `err`, from `at` on, is a run of -u notes, each naming a value
// of the command line and the number it is read as, and then at most one
// operand note naming an argument. A value may itself contain the text that
// ends its note, or a newline, so every place where the note could end is
// tried.
bool areNotices(const std::string& err, size_t at, const std::vector<std::string>& args) {
  auto isArgumentTail = [&](const std::string& text) {
    for (const std::string& arg : args)
      if (arg.size() >= text.size() &&
          arg.compare(arg.size() - text.size(), text.size(), text) == 0)
        return true;
    return false;
  };
  auto isNumber = [](const std::string& text) {
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
  };
  const std::string valueStart = "note: -u value '";
  const std::string valueEnd = "' is not a number; it is read as ";
  if (err.compare(at, valueStart.size(), valueStart) == 0) {
    size_t value = at + valueStart.size();
    for (size_t end = err.find(valueEnd, value); end != std::string::npos;
         end = err.find(valueEnd, end + 1)) {
      size_t number = end + valueEnd.size();
      size_t line = err.find('\n', number);
      if (line != std::string::npos && isArgumentTail(err.substr(value, end - value)) &&
          isNumber(err.substr(number, line - number)) && areNotices(err, line + 1, args))
        return true;
    }
    return false;
  }
  const std::string operandStart = "note: '";
  const std::string operandEnd =
      "' and what follows are ignored; the problem is read from standard input\n";
  if (at == err.size()) return true;
  if (err.size() - at < operandStart.size() + operandEnd.size() ||
      err.compare(at, operandStart.size(), operandStart) != 0 ||
      err.compare(err.size() - operandEnd.size(), operandEnd.size(), operandEnd) != 0)
    return false;
  size_t operand = at + operandStart.size();
  const std::string name = err.substr(operand, err.size() - operandEnd.size() - operand);
  for (const std::string& arg : args)
    if (arg == name) return true;
  return false;
}

void parseAs(const char* options, const std::vector<std::string>& args) {
  optionString = options;
  bool flow = options == kFlowOptions;
  Outcome outcome = runProgram(parseOnly, args, nullptr, 0, true);
  if (outcome.status == 1) {
    std::string usage = usageText(args[0], flow);
    size_t split = outcome.err.size() >= usage.size() ? outcome.err.size() - usage.size() : 0;
    if (outcome.err.compare(split, std::string::npos, usage) != 0 ||
        !isDiagnostic(outcome.err.substr(0, split), args[0]))
      finding("option error without the diagnostic and the usage text", outcome);
  } else if (outcome.status != 0 || !areNotices(outcome.err, 0, args) ||
             param.globalUpdateFactor == 0.0 || (param.gapCheck != 0 && param.gapCheck != 1) ||
             (param.greedyInit != 0 && param.greedyInit != (flow ? 0 : 1))) {
    finding("options accepted into a wrong state", outcome);
  }
  if (!outcome.out.empty()) finding("output on standard output", outcome);
  param = Params{};
  optind = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args = {"prog"};
  std::string all(reinterpret_cast<const char*>(data), size);
  for (size_t at = 0; at <= all.size();) {
    size_t end = all.find('\0', at);
    if (end == std::string::npos) end = all.size();
    args.push_back(all.substr(at, end - at));
    at = end + 1;
  }
  parseAs(kMatchingOptions, args);
  parseAs(kFlowOptions, args);
  return 0;
}
