#include "matching_file.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

void appendNumber(std::string& text, int64_t value) {
  char digits[24];
  int length = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(value));
  text.append(digits, size_t(length));
}

std::string pairsOf(const DistributedMatching& matching) {
  std::string text;
  for (size_t i = 0; i < matching.rowMates.size(); ++i) {
    if (matching.rowMates[i] < 0) continue;
    appendNumber(text, matching.firstRow + int64_t(i) + 1);
    text += ' ';
    appendNumber(text, matching.rowMates[i] + 1);
    text += '\n';
  }
  return text;
}

std::string headerOf(const LocalGraph& graph, const DistributedMatching& matching) {
  char text[160];
  std::snprintf(text, sizeof text, "c matching of %lld + %lld vertices, %lld edges\nc size %lld\n",
                static_cast<long long>(graph.firstSide), static_cast<long long>(graph.secondSide),
                static_cast<long long>(graph.sideEdges), static_cast<long long>(matching.size));
  return text;
}

}  // namespace

MatchingFile::~MatchingFile() {
  if (file != MPI_FILE_NULL) MPI_File_close(&file);
}

bool MatchingFile::everywhere(bool ok) const {
  int all = ok;
  MPI_Allreduce(MPI_IN_PLACE, &all, 1, MPI_INT, MPI_LAND, comm);
  return all;
}

bool MatchingFile::create(std::string& error) {
  long long id = getpid();
  MPI_Bcast(&id, 1, MPI_LONG_LONG, 0, comm);
  temporary = path + ".partial-" + std::to_string(id);
  int mode = MPI_MODE_CREATE | MPI_MODE_WRONLY;
  // Opening is collective: every rank sees the same outcome.
  if (MPI_File_open(comm, temporary.c_str(), mode, MPI_INFO_NULL, &file) != MPI_SUCCESS) {
    file = MPI_FILE_NULL;
    error = "cannot create " + temporary;
    return false;
  }
  if (everywhere(MPI_File_set_size(file, 0) == MPI_SUCCESS)) return true;
  error = "cannot write " + temporary;
  return false;
}

bool MatchingFile::write(const LocalGraph& graph, const DistributedMatching& matching,
                         std::string& error) {
  int rank;
  MPI_Comm_rank(comm, &rank);
  std::string text = rank == 0 ? headerOf(graph, matching) : std::string();
  text += pairsOf(matching);
  long long bytes = static_cast<long long>(text.size()), offset = 0;
  MPI_Exscan(&bytes, &offset, 1, MPI_LONG_LONG, MPI_SUM, comm);
  if (rank == 0) offset = 0;
  bool ok = true;
  constexpr size_t kChunk = size_t{1} << 30;
  for (size_t done = 0; ok && done < text.size(); done += kChunk) {
    int count = int(std::min(kChunk, text.size() - done));
    ok = MPI_File_write_at(file, offset + MPI_Offset(done), text.data() + done, count, MPI_CHAR,
                           MPI_STATUS_IGNORE) == MPI_SUCCESS;
  }
  bool written = everywhere(ok);
  bool closed = MPI_File_close(&file) == MPI_SUCCESS;
  file = MPI_FILE_NULL;
  int renamed = 0;
  if (rank == 0) {
    renamed = written && closed && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!renamed) std::remove(temporary.c_str());
  }
  MPI_Bcast(&renamed, 1, MPI_INT, 0, comm);
  if (!renamed) error = "cannot write " + path;
  return renamed;
}
