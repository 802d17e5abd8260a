#include "matching_file.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The blocks that go through rank 0, in pieces small enough for one
// message and for rank 0's receiving buffer.
constexpr size_t kPieceBytes = size_t{1} << 24;

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

// Rank 0's `text` on every rank.
std::string fromFirstRank(std::string text, MPI_Comm comm) {
  long long length = static_cast<long long>(text.size());
  MPI_Bcast(&length, 1, MPI_LONG_LONG, 0, comm);
  text.resize(size_t(length));
  MPI_Bcast(text.data(), int(length), MPI_CHAR, 0, comm);
  return text;
}

}  // namespace

MatchingFile::MatchingFile(std::string path, MPI_Comm comm) : path(std::move(path)), comm(comm) {
  MPI_Comm_rank(comm, &rank);
  MPI_Comm_size(comm, &ranks);
}

MatchingFile::~MatchingFile() {
  if (file != MPI_FILE_NULL) MPI_File_close(&file);
}

bool MatchingFile::everywhere(bool ok) const {
  int all = ok;
  MPI_Allreduce(MPI_IN_PLACE, &all, 1, MPI_INT, MPI_LAND, comm);
  return all;
}

bool MatchingFile::create(std::string& error) {
  int opened = 1;
  if (rank == 0) {
    writer.emplace(path);
    opened = writer->Open();
    error = writer->error();
    temporary = writer->temporary_path();
  }
  MPI_Bcast(&opened, 1, MPI_INT, 0, comm);
  if (!opened) return false;
  temporary = fromFirstRank(temporary, comm);
  if (temporary.empty()) return true;
  // Opening is collective: every rank sees the same outcome.
  if (MPI_File_open(comm, temporary.c_str(), MPI_MODE_WRONLY, MPI_INFO_NULL, &file) == MPI_SUCCESS)
    return true;
  file = MPI_FILE_NULL;
  error = "cannot write " + path;
  return false;
}

bool MatchingFile::write(const LocalGraph& graph, const DistributedMatching& matching,
                         std::string& error) {
  std::string text = rank == 0 ? headerOf(graph, matching) : std::string();
  text += pairsOf(matching);
  bool written = true;
  if (temporary.empty()) {
    writeThroughFirstRank(text);
  } else {
    written = writeShared(text);
  }
  int committed = 0;
  if (rank == 0) {
    committed = written && writer->Commit();
    error = written ? writer->error() : "cannot write " + path;
  }
  MPI_Bcast(&committed, 1, MPI_INT, 0, comm);
  return committed;
}

bool MatchingFile::writeShared(const std::string& text) {
  long long bytes = static_cast<long long>(text.size()), offset = 0;
  MPI_Exscan(&bytes, &offset, 1, MPI_LONG_LONG, MPI_SUM, comm);
  if (rank == 0) offset = 0;  // MPI leaves rank 0's result undefined
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
  return everywhere(written && closed);
}

void MatchingFile::writeThroughFirstRank(const std::string& text) {
  long long bytes = static_cast<long long>(text.size());
  std::vector<long long> sizes(rank == 0 ? size_t(ranks) : 0);
  MPI_Gather(&bytes, 1, MPI_LONG_LONG, sizes.data(), 1, MPI_LONG_LONG, 0, comm);
  if (rank != 0) {
    for (size_t done = 0; done < text.size(); done += kPieceBytes)
      MPI_Send(text.data() + done, int(std::min(kPieceBytes, text.size() - done)), MPI_CHAR, 0, 0,
               comm);
    return;
  }
  writer->Write(text.data(), text.size());
  const long long pieceBytes = static_cast<long long>(kPieceBytes);
  std::vector<char> piece(kPieceBytes);
  for (int from = 1; from < ranks; ++from) {
    for (long long done = 0; done < sizes[size_t(from)]; done += pieceBytes) {
      int count = int(std::min(pieceBytes, sizes[size_t(from)] - done));
      MPI_Recv(piece.data(), count, MPI_CHAR, from, 0, comm, MPI_STATUS_IGNORE);
      writer->Write(piece.data(), size_t(count));
    }
  }
}
