// The fast programs' solve clock and their -t and --threads-from options. A solve on one
// thread is timed in user CPU seconds, as every other program times its
// algorithm; a solve on several in wall-clock seconds, since its threads'
// CPU seconds add up, and a note on standard error says so.
#pragma once

// The most threads -t takes.
constexpr int kMostThreads = 4096;

// -t's argument: a decimal count from 0 (every processor the process may
// use) to kMostThreads; false when the text is not one.
bool parseThreadCount(const char* text, int* threads);

// --threads-from's argument: a decimal count of edges from 0 up, below
// which a problem is solved on one thread whatever -t says; false when the
// text is not one.
bool parseThreadsFrom(const char* text, long long* edges);

class SolveClock {
 public:
  SolveClock();  // starts the clock

  // Seconds since the start: user CPU seconds of the process for a solve
  // on one thread, wall-clock seconds for one on more.
  double seconds(int threads) const;

 private:
  double cpu_start_;
  double wall_start_;
};

// The note on standard error for a solve that was asked for `asked`
// threads (0: every processor) and ran on `used`; none when both are 1.
void noteThreads(const char* program, int asked, int used);
