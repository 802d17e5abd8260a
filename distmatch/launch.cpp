#include "launch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "line_range.h"

#ifdef _OPENMP
#include <omp.h>
#endif

bool startedByLauncher() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_SIZE"})
    if (std::getenv(name) != nullptr) return true;
  return false;
}

void settleRuntime() {
  setenv("OMPI_MCA_osc", "pt2pt", 0);
  setenv("OMPI_MCA_mpi_yield_when_idle", "1", 0);
#include "line_range.h"

#ifdef _OPENMP
  // The OpenMP runtime has read its environment before main.
  if (std::getenv("OMP_NUM_THREADS") == nullptr) omp_set_num_threads(1);
#endif
}

bool isSquare(int ranks) {
  int side = 1;
  while (side * side < ranks) ++side;
  return ranks >= 1 && side * side == ranks;
}

std::string standardInputPath() {
  struct stat status;
  if (fstat(STDIN_FILENO, &status) != 0 || !S_ISREG(status.st_mode)) return "";
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/fd/0", path, sizeof path - 1);
  if (length <= 0) return "";
  path[length] = '\0';
  return path;
}

std::string relaunch(int ranks, const std::vector<std::string>& arguments) {
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return std::string("cannot find this program: ") + std::strerror(errno);
  self[length] = '\0';
  std::vector<std::string> words = {"mpirun", "-np", std::to_string(ranks), "--oversubscribe",
                                    "--quiet"};
  if (geteuid() == 0) words.push_back("--allow-run-as-root");
  words.push_back(self);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  execvp("mpirun", argv.data());
  return std::string("cannot start mpirun: ") + std::strerror(errno);
}

bool readProblemHeader(const std::string& path, ProblemHeader& header) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status;
  if (fd < 0 || fstat(fd, &status) != 0) {
    if (fd >= 0) close(fd);
    return false;
  }
  LineRange lines(fd, 0, status.st_size);
  int64_t offset;
  const char* line = lines.next(offset);
  bool read = false;
  if (line != nullptr && startsMatrixMarket(line)) {
    read = readMatrixMarketBanner(line, header) == nullptr;
    line = read ? lines.next(offset) : nullptr;
  }
  while (line != nullptr && isBlankLine(header.form, line)) line = lines.next(offset);
  read = line != nullptr && readHeaderLine(line, header) == nullptr;
  close(fd);
  return read;
}
