// What several threads can gain on this machine at most in the parallel
// matching's kind of work: a stream of reads of random slots of a large
// array, as the searches and starts read mates and degrees.
//
// Usage: claims-speed [-k RUNS] [--entries N] [--slots S] [--cpus 0,1,...]
//
// Three loops over N random slot numbers into S slots of 4 bytes (each at
// most 2^31 - 1; defaults: 10M and 2M, a 10M-entry problem's lists and one
// side's mates): each read alone ("read"); a claim of a free slot by a
// plain load and store ("claim, plain store"), as a pass would make it that
// leaves conflicts to a second one; and the same claim by a
// compare-and-swap ("claim, compare-and-swap"), as the parallel solve makes
// it. Each loop runs on one thread pinned to the first CPU, then shared out
// over one thread on each CPU given (default: 0 and 1), RUNS times each
// (default 7), in turn; the table gives the median wall-clock seconds and
// their ratio.

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Loop { kRead, kPlainClaim, kSwapClaim };

struct Setup {
  int runs = 7;
  int64_t entries = 10'000'000;
  int64_t slots = 2'000'000;
  std::vector<int> cpus = {0, 1};
};

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "Usage: claims-speed [-k RUNS] [--entries N] [--slots S] [--cpus 0,1,...]\n");
  std::exit(2);
}

int64_t Count(const char* text, int64_t least) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || value < least) Usage();
  return value;
}

Setup Parse(int argc, char** argv) {
  Setup setup;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 == argc) Usage();
    const char* value = argv[++i];
    if (option == "-k") {
      setup.runs = static_cast<int>(std::min<int64_t>(Count(value, 1), 1000));
    } else if (option == "--entries") {
      setup.entries = std::min<int64_t>(Count(value, 1), INT32_MAX);
    } else if (option == "--slots") {
      setup.slots = std::min<int64_t>(Count(value, 1), INT32_MAX);
    } else if (option == "--cpus") {
      setup.cpus.clear();
      std::string list = value;
      for (size_t at = 0; at <= list.size();) {
        const size_t comma = std::min(list.find(',', at), list.size());
        const int64_t cpu = Count(list.substr(at, comma - at).c_str(), 0);
        if (cpu >= CPU_SETSIZE) Usage();
        setup.cpus.push_back(static_cast<int>(cpu));
        at = comma + 1;
      }
    } else {
      Usage();
    }
  }
  // Each CPU one this process may run on, so that every run is pinned.
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  sched_getaffinity(0, sizeof allowed, &allowed);
  for (int cpu : setup.cpus) {
    if (CPU_ISSET(cpu, &allowed)) continue;
    std::fprintf(stderr, "claims-speed: CPU %d is not one this process may run on\n", cpu);
    std::exit(2);
  }
  return setup;
}

void Pin(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

// The loop over entries [begin, end); returns what it read or claimed, so
// that nothing is optimised away.
int64_t Run(Loop loop, const int32_t* targets, std::atomic<int32_t>* slots, int64_t begin,
            int64_t end) {
  int64_t sum = 0;
  for (int64_t i = begin; i < end; ++i) {
    std::atomic<int32_t>& slot = slots[targets[i]];
    if (loop == Loop::kRead) {
      sum += slot.load(std::memory_order_relaxed);
    } else if (loop == Loop::kPlainClaim) {
      if (slot.load(std::memory_order_relaxed) < 0) {
        slot.store(static_cast<int32_t>(i), std::memory_order_relaxed);
        ++sum;
      }
    } else {
      int32_t free = -1;
      sum += slot.compare_exchange_strong(free, static_cast<int32_t>(i), std::memory_order_relaxed);
    }
  }
  return sum;
}

// Median wall-clock seconds of `runs` runs of the loop shared out over one
// thread on each of `cpus`.
double Time(Loop loop, const Setup& setup, const std::vector<int>& cpus,
            const std::vector<int32_t>& targets, std::vector<std::atomic<int32_t>>& slots) {
  std::vector<double> seconds;
  const int64_t n = setup.entries;
  const int threads = static_cast<int>(cpus.size());
  for (int run = 0; run < setup.runs; ++run) {
    for (auto& slot : slots) slot.store(-1, std::memory_order_relaxed);
    std::vector<int64_t> sums(static_cast<size_t>(threads) * 16);  // a cache line each
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> team;
    for (int k = 0; k < threads; ++k)
      team.emplace_back([&, k] {
        Pin(cpus[k]);
        sums[16 * k] =
            Run(loop, targets.data(), slots.data(), n * k / threads, n * (k + 1) / threads);
      });
    for (auto& member : team) member.join();
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) try {
  const Setup setup = Parse(argc, argv);
  std::vector<int32_t> targets(static_cast<size_t>(setup.entries));
  std::vector<std::atomic<int32_t>> slots(static_cast<size_t>(setup.slots));
  std::mt19937_64 random(1);
  for (auto& target : targets) target = static_cast<int32_t>(random() % setup.slots);
  const struct {
    const char* name;
    Loop loop;
  } loops[] = {{"read", Loop::kRead},
               {"claim, plain store", Loop::kPlainClaim},
               {"claim, compare-and-swap", Loop::kSwapClaim}};
  std::printf("%-24s %12s %12s %7s\n", "loop", "1 thread", "threads", "ratio");
  for (const auto& [name, loop] : loops) {
    const double one = Time(loop, setup, {setup.cpus.front()}, targets, slots);
    const double many = Time(loop, setup, setup.cpus, targets, slots);
    std::printf("%-24s %12.4f %12.4f %7.2f\n", name, one, many, one / many);
  }
  return 0;
} catch (const std::bad_alloc&) {
  std::fprintf(stderr, "claims-speed: not enough memory for the entries and slots asked for\n");
  return 1;
}
