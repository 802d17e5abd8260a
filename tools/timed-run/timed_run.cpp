// timed-run: runs one program and reports its exit status, wall seconds and
// peak resident memory on a descriptor, for tools/compare.
//
//     timed-run FD TIMEOUT PROGRAM [ARGUMENT]...
//
// The program inherits standard input, output and error. When it ends, one
// line goes to descriptor FD:
//
//     exit CODE WALL_SECONDS PEAK_KIB TIMED_OUT      (or: signal NUMBER ...)
//
// TIMEOUT is in seconds, 0 for none; a program still running then is killed
// (SIGKILL) and TIMED_OUT is 1. The program runs in a process group of its
// own, so that the kill reaches every process it started; an interrupt,
// hangup or termination sent to timed-run is passed on to that group. Exit
// status: 0 once the line is written, 2 on a usage error.
//
// Why a program of its own: a process's peak memory (ru_maxrss) survives
// exec, so a child forked by a large parent, such as a Python interpreter,
// starts with the parent's resident size as its peak. Spawned from this
// small process, the program's peak is its own.
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

extern char** environ;

namespace {

// The running program, whose process group the handlers signal; 0 before
// it starts.
volatile pid_t running = 0;
volatile sig_atomic_t timed_out = 0;

void stop(int) {
  timed_out = 1;
  if (running > 0) kill(-running, SIGKILL);
}

void forward(int signal) {
  if (running > 0) kill(-running, signal);
}

void handle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigaction(signal, &action, nullptr);
}

[[noreturn]] void usage(const char* why) {
  std::fprintf(stderr, "timed-run: %s\nusage: timed-run FD TIMEOUT PROGRAM [ARGUMENT]...\n", why);
  std::exit(2);
}

bool parseSeconds(const char* text, double* seconds) {
  char* end = nullptr;
  *seconds = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(*seconds) && *seconds >= 0;
}

void startTimer(double seconds) {
  handle(SIGALRM, stop);
  itimerval timer{};
  timer.it_value.tv_sec = static_cast<time_t>(seconds);
  timer.it_value.tv_usec = static_cast<suseconds_t>((seconds - std::floor(seconds)) * 1e6);
  if (timer.it_value.tv_sec == 0 && timer.it_value.tv_usec == 0) timer.it_value.tv_usec = 1;
  setitimer(ITIMER_REAL, &timer, nullptr);
}

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Starts the program in a process group of its own; returns 0 or an errno.
int start(char** words, pid_t* pid) {
  posix_spawnattr_t own_group;
  posix_spawnattr_init(&own_group);
  posix_spawnattr_setflags(&own_group, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&own_group, 0);
  int error = posix_spawnp(pid, words[0], nullptr, &own_group, words, environ);
  posix_spawnattr_destroy(&own_group);
  return error;
}

// The report line of a program that ended with `status`.
void report(std::FILE* out, int status, double wall, const rusage& usage) {
  if (WIFSIGNALED(status)) {
    std::fprintf(out, "signal %d", WTERMSIG(status));
  } else {
    std::fprintf(out, "exit %d", WEXITSTATUS(status));
  }
  std::fprintf(out, " %.6f %ld %d\n", wall, static_cast<long>(usage.ru_maxrss),
               static_cast<int>(timed_out));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::printf("usage: timed-run FD TIMEOUT PROGRAM [ARGUMENT]...\n");
    return 0;
  }
  if (argc < 4) usage("too few arguments");
  char* end = nullptr;
  long fd = std::strtol(argv[1], &end, 10);
  double timeout = 0;
  if (end == argv[1] || *end != '\0' || fd < 0 || fd > 1 << 20) usage("FD is not a descriptor");
  if (!parseSeconds(argv[2], &timeout)) usage("TIMEOUT is not a number of seconds");
  std::FILE* out = fdopen(static_cast<int>(fd), "w");
  if (out == nullptr) usage("FD is not an open descriptor");

  for (int signal : {SIGINT, SIGTERM, SIGHUP}) handle(signal, forward);
  double started = now();
  pid_t pid = 0;
  if (int error = start(argv + 3, &pid); error != 0) {
    std::fprintf(stderr, "timed-run: cannot run %s: %s\n", argv[3], std::strerror(error));
    std::fprintf(out, "exit 127 0 0 0\n");
    return std::fclose(out) == 0 ? 0 : 1;
  }
  running = pid;
  if (timeout > 0) startTimer(timeout);
  int status = 0;
  rusage resources{};
  while (wait4(pid, &status, 0, &resources) < 0 && errno == EINTR) {
  }
  report(out, status, now() - started, resources);
  return std::fclose(out) == 0 ? 0 : 1;
}
