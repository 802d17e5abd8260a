// The matching file of -w, in the form fastmatch writes: comment lines
// "c matching of N1 + N2 vertices, M edges" and "c size K", then one line
// "U V" per matched pair, by increasing U. Rank 0 writes it through the
// safe writer. Into the writer's temporary file every rank writes its own
// block of rows at its own offset, so that no rank holds more than its own
// part; a device, FIFO or socket, which has no offsets, gets the ranks'
// blocks in rank order through rank 0.
#pragma once

#include <mpi.h>

#include <optional>
#include <string>

#include "combblas_matching.h"
#include "distributed_input.h"
#include "fileio/safe_writer.h"

class MatchingFile {
 public:
  MatchingFile(std::string path, MPI_Comm comm);
  MatchingFile(const MatchingFile&) = delete;
  MatchingFile& operator=(const MatchingFile&) = delete;
  ~MatchingFile();

  // Collective: opens where the matching goes, so that a file that cannot
  // be written is known before the matching runs. False on every rank when
  // it cannot, with the reason on rank 0.
  bool create(std::string& error);
  // Collective: writes the matching and puts the file in place.
  bool write(const LocalGraph& graph, const DistributedMatching& matching, std::string& error);

 private:
  // True on every rank when `ok` is true on every rank.
  bool everywhere(bool ok) const;
  // Every rank's `text` at its offset in the temporary file.
  bool writeShared(const std::string& text);
  // Every rank's `text` in rank order through rank 0's writer.
  void writeThroughFirstRank(const std::string& text);

  std::string path;
  MPI_Comm comm;
  int rank = 0, ranks = 1;
  std::optional<fileio::SafeWriter> writer;  // on rank 0, once create() ran
  // The writer's temporary file, on every rank; empty when the text goes
  // to the target as it is.
  std::string temporary;
  MPI_File file = MPI_FILE_NULL;  // the temporary file, opened by every rank
};
