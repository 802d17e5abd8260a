// The command line shared by the generators:
//
//   PROGRAM FAMILY [--OPTION VALUE]... [--seed S] [FLAG]...
//   PROGRAM -h | --help
//
// Every family declares its numeric options with defaults and lower bounds;
// anything else on the command line is a usage error (exit status 2).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct OptionSpec {
  const char* name;  // spelled "--name" on the command line
  double fallback;   // value when the option is not given
  double least;      // smallest accepted value
  bool integer;      // whole numbers only, at most 2147483647
  const char* help;
  double most = HUGE_VAL;  // largest accepted value
  // A capacity: a whole number from 0 to kLargestCapacity, kept exact (a
  // double holds whole numbers exactly only up to 2^53).
  bool capacity = false;
};

// The largest arc capacity, and the largest total capacity out of the source
// or into the sink, that a generated network may have; solvers refuse more
// rather than wrap around in 64 bits.
constexpr std::int64_t kLargestCapacity = std::int64_t{1} << 62;

OptionSpec capacityOption(const char* name, double fallback, const char* help);

struct FamilySpec {
  const char* name;
  const char* summary;
  std::vector<OptionSpec> options;
};

struct FlagSpec {
  const char* name;  // spelled "--name"
  const char* help;
  std::vector<const char*> words = {};  // the words it takes ("--name WORD"); none: a switch
};

struct GeneratorSpec {
  const char* program;
  const char* purpose;
  std::vector<const FamilySpec*> families;
  std::vector<FlagSpec> flags;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Parameters {
 public:
  explicit Parameters(const FamilySpec& family);
  void set(const std::string& name, const std::string& value);
  int count(const char* name) const;
  double real(const char* name) const;
  std::int64_t capacity(const char* name) const;
  // "--a 1 --b 0.5", every option of the family in declaration order.
  std::string describe() const;

 private:
  std::size_t find(const std::string& name) const;

  const FamilySpec& family_;
  std::vector<double> values_;
  std::vector<std::int64_t> capacities_;  // the exact values of capacity options
};

struct GivenFlag {
  std::string name;  // without "--"
  std::string word;  // empty for a switch
};

struct Request {
  const FamilySpec* family;
  Parameters parameters;
  std::uint64_t seed;
  std::vector<GivenFlag> flags;  // in command-line order

  bool has(const char* flag) const;
  // The word given to the flag, or an empty string when it was not given.
  std::string word(const char* flag) const;
};

void printHelp(const GeneratorSpec& spec, std::FILE* out);
// Returns nothing when help was asked for (and printed); throws UsageError.
std::optional<Request> parseCommandLine(const GeneratorSpec& spec, int argc, char** argv);
