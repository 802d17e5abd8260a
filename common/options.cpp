#include "options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "run_state.h"

namespace {

// True when strtod reads the whole of `text` as one number.
bool isNumber(const char* text) {
  char* end = nullptr;
  std::strtod(text, &end);
  return text[0] != '\0' && *end == '\0';
}

// A -u value that is not a number still sets the factor (to what atof makes
// of it, usually 0): say so, since it changes the run's algorithm.
std::string factorNotice(const char* text) {
  if (isNumber(text)) return "";
  const std::string head = std::string("note: -u value '") + text + "' is not a number; ";
  char value[64];
  std::snprintf(value, sizeof value, "it is read as %g\n", std::atof(text));
  return head + value;
}

// The problem comes from standard input only; a file name given as an
// operand would otherwise leave the program waiting silently.
std::string operandNotice(int argc, char* const* argv) {
  if (optind >= argc) return "";
  return std::string("note: '") + argv[optind] +
         "' and what follows are ignored; the problem is read from standard input\n";
}

// Reads the options into `param`; false at the first bad one. Notices wait
// until the whole command line has parsed, so a bad option ends in the usage
// text alone.
bool readOptions(int argc, char* const* argv, const char* optstring) {
  std::vector<std::string> notices;
  // A leading '+' keeps glibc's getopt from permuting arguments: options end
  // at the first non-option, as POSIX requires.
  const std::string posixOptions = std::string("+") + optstring;
  int letter;
  while ((letter = getopt(argc, argv, posixOptions.c_str())) != -1) {
    if (optarg != nullptr && optarg[0] == '=') ++optarg;  // -o=5 means -o 5
    switch (letter) {
      case 'g':
        param.gapCheck = 0;
        break;
      case 'i':
        param.greedyInit = 1;
        break;
      case 'o':
        param.labelOffset = std::atoi(optarg);
        break;
      case 'u':
        notices.push_back(factorNotice(optarg));
        param.globalUpdateFactor = std::atof(optarg);
        if (param.globalUpdateFactor == 0.0) param.globalUpdateFactor = kNoGlobalUpdates;
        break;
      case '?':
        return false;
    }
  }
  notices.push_back(operandNotice(argc, argv));
  for (const std::string& notice : notices) std::fputs(notice.c_str(), stderr);
  return true;
}

}  // namespace

void parse_arguments(int argc, char* const* argv, const char* optstring) {
  if (readOptions(argc, argv, optstring)) return;
  usage(argv[0], optstring);
  std::exit(1);
}

void usage(const char* progname, const char* optstring) {
  std::fprintf(stderr, "Usage: %s", progname);
  for (const char* c = optstring; *c != '\0'; ++c) {
    switch (*c) {
      case 'g':
        std::fputs(" -g", stderr);
        break;
      case 'i':
        std::fputs(" -i", stderr);
        break;
      case 'o':
        std::fputs(" -oX", stderr);
        break;
      case 'u':
        std::fputs(" -uU", stderr);
        break;
    }
  }
  std::fputs("\n", stderr);
  for (const char* c = optstring; *c != '\0'; ++c) {
    switch (*c) {
      case 'g':
        std::fputs("       -g  disables gap checking\n", stderr);
        break;
      case 'i':
        std::fputs("       -i perform greedy initialization\n", stderr);
        break;
      case 'o':
        std::fprintf(stderr, "       -oX vertex labels start at X (default %d)\n",
                     static_cast<int>(param.labelOffset));
        break;
      case 'u':
        std::fputs("       -uU is global recalc parameter\n", stderr);
        std::fputs("              if U=0 then global recalc is never performed\n", stderr);
        break;
    }
  }
}
