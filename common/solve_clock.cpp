#include "solve_clock.h"

#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double userSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6;
}

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool parseThreadCount(const char* text, int* threads) {
  char* end;
  errno = 0;
  const long count = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || count < 0 || count > kMostThreads) return false;
  *threads = static_cast<int>(count);
  return true;
}

bool parseThreadsFrom(const char* text, long long* edges) {
  char* end;
  errno = 0;
  const long long count = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || count < 0) return false;
  *edges = count;
  return true;
}

SolveClock::SolveClock() : cpu_start_(userSeconds()), wall_start_(wallSeconds()) {}

double SolveClock::seconds(int threads) const {
  return threads > 1 ? wallSeconds() - wall_start_ : userSeconds() - cpu_start_;
}

void noteThreads(const char* program, int asked, int used) {
  if (used > 1)
    std::fprintf(stderr, "%s: solved on %d threads; the seconds are wall-clock time\n", program,
                 used);
  else if (asked != 1)
    std::fprintf(stderr, "%s: solved on one thread; the seconds are CPU time\n", program);
}
