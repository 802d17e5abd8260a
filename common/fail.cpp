#include "fail.h"

#include <cstdio>
#include <cstdlib>

void fail(const char* message) {
  std::fputs(message, stdout);
  std::fputs(messageEnd, stdout);
  std::exit(1);
}
