#include "options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "run_state.h"

void parse_arguments(int argc, char* const* argv, const char* optstring) {
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
        param.globalUpdateFactor = std::atof(optarg);
        if (param.globalUpdateFactor == 0.0) param.globalUpdateFactor = kNoGlobalUpdates;
        break;
      case '?':
        usage(argv[0], optstring);
        std::exit(1);
    }
  }
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
