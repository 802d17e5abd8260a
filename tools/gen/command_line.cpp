#include "command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kLargestCount = 2147483647.0;

double parseNumber(const OptionSpec& option, const std::string& text) {
  const std::string where = std::string("--") + option.name;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value)) {
    throw UsageError(where + " needs a number, not '" + text + "'");
  }
  if (option.integer && (value != std::floor(value) || value > kLargestCount)) {
    throw UsageError(where + " needs a whole number up to 2147483647, not '" + text + "'");
  }
  if (value < option.least || value > option.most) {
    const bool low = value < option.least;
    char bound[32];
    std::snprintf(bound, sizeof bound, "%g", low ? option.least : option.most);
    throw UsageError(where + (low ? " must be at least " : " must be at most ") + bound +
                     ", not '" + text + "'");
  }
  return value;
}

std::int64_t parseCapacity(const OptionSpec& option, const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < option.least ||
      value > kLargestCapacity) {
    throw UsageError(std::string("--") + option.name + " needs a whole number from " +
                     std::to_string(static_cast<long long>(option.least)) + " to " +
                     std::to_string(kLargestCapacity) + ", not '" + text + "'");
  }
  return value;
}

std::uint64_t parseSeed(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (text.empty() || text[0] == '-' || *end != '\0' || errno != 0) {
    throw UsageError("--seed needs a whole number from 0 to 18446744073709551615, not '" + text +
                     "'");
  }
  return value;
}

const FamilySpec& findFamily(const GeneratorSpec& spec, const std::string& name) {
  for (const FamilySpec* family : spec.families) {
    if (name == family->name) return *family;
  }
  throw UsageError("unknown family '" + name + "'");
}

const FlagSpec* findFlag(const GeneratorSpec& spec, const std::string& name) {
  for (const FlagSpec& flag : spec.flags) {
    if (name == flag.name) return &flag;
  }
  return nullptr;
}

std::string checkedWord(const FlagSpec& flag, const std::string& word) {
  std::string choices;
  for (const char* allowed : flag.words) {
    if (word == allowed) return word;
    choices += (choices.empty() ? "" : ", ") + std::string(allowed);
  }
  throw UsageError(std::string("--") + flag.name + " takes one of " + choices + ", not '" + word +
                   "'");
}

bool isHelp(const char* arg) {
  return std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0;
}

}  // namespace

OptionSpec capacityOption(const char* name, double fallback, const char* help) {
  return {name, fallback, 0, true, help, static_cast<double>(kLargestCapacity), true};
}

Parameters::Parameters(const FamilySpec& family) : family_(family) {
  for (const OptionSpec& option : family.options) {
    values_.push_back(option.fallback);
    capacities_.push_back(static_cast<std::int64_t>(option.fallback));
  }
}

std::size_t Parameters::find(const std::string& name) const {
  for (std::size_t i = 0; i < family_.options.size(); ++i) {
    if (name == family_.options[i].name) return i;
  }
  throw UsageError("family '" + std::string(family_.name) + "' has no option --" + name);
}

void Parameters::set(const std::string& name, const std::string& value) {
  const std::size_t i = find(name);
  const OptionSpec& option = family_.options[i];
  if (option.capacity) {
    capacities_[i] = parseCapacity(option, value);
    values_[i] = static_cast<double>(capacities_[i]);
  } else {
    values_[i] = parseNumber(option, value);
  }
}

int Parameters::count(const char* name) const { return static_cast<int>(values_[find(name)]); }

double Parameters::real(const char* name) const { return values_[find(name)]; }

std::int64_t Parameters::capacity(const char* name) const { return capacities_[find(name)]; }

std::string Parameters::describe() const {
  std::string text;
  char value[32];
  for (std::size_t i = 0; i < values_.size(); ++i) {
    if (family_.options[i].capacity) {
      std::snprintf(value, sizeof value, "%lld", static_cast<long long>(capacities_[i]));
    } else {
      std::snprintf(value, sizeof value, "%.15g", values_[i]);
    }
    text += (i == 0 ? "--" : " --") + std::string(family_.options[i].name) + " " + value;
  }
  return text;
}

bool Request::has(const char* flag) const {
  for (const GivenFlag& given : flags) {
    if (given.name == flag) return true;
  }
  return false;
}

std::string Request::word(const char* flag) const {
  for (const GivenFlag& given : flags) {
    if (given.name == flag) return given.word;
  }
  return "";
}

void printHelp(const GeneratorSpec& spec, std::FILE* out) {
  std::fprintf(out, "Usage: %s FAMILY [--OPTION VALUE]... [--seed S]", spec.program);
  for (const FlagSpec& flag : spec.flags) {
    std::fprintf(out, flag.words.empty() ? " [--%s]" : " [--%s WORD]", flag.name);
  }
  std::fprintf(out, "\n       %s -h | --help\n\n%s\n\n", spec.program, spec.purpose);
  std::fprintf(out, "  --seed S      random seed (default 1); the same seed gives the same file\n");
  for (const FlagSpec& flag : spec.flags) std::fprintf(out, "  --%-11s %s\n", flag.name, flag.help);
  for (const FamilySpec* family : spec.families) {
    std::fprintf(out, "\n%s: %s\n", family->name, family->summary);
    for (const OptionSpec& option : family->options) {
      std::fprintf(out, "  --%-16s %s (default %g)\n", option.name, option.help, option.fallback);
    }
  }
}

std::optional<Request> parseCommandLine(const GeneratorSpec& spec, int argc, char** argv) {
  if (argc < 2) throw UsageError("no family given");
  if (isHelp(argv[1])) return std::nullopt;
  const FamilySpec& family = findFamily(spec, argv[1]);
  Request request{&family, Parameters(family), 1, {}};
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (isHelp(argv[i])) return std::nullopt;
    if (arg.rfind("--", 0) != 0) throw UsageError("unexpected argument '" + arg + "'");
    std::string name = arg.substr(2);
    std::string value;
    const std::size_t equals = name.find('=');
    const FlagSpec* flag = findFlag(spec, name.substr(0, equals));
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.erase(equals);
    } else if (flag != nullptr && flag->words.empty()) {
      request.flags.push_back({name, ""});
      continue;
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      throw UsageError(arg + " needs a value");
    }
    if (flag != nullptr && !flag->words.empty()) {
      request.flags.push_back({name, checkedWord(*flag, value)});
    } else if (name == "seed") {
      request.seed = parseSeed(value);
    } else {
      request.parameters.set(name, value);
    }
  }
  return request;
}
