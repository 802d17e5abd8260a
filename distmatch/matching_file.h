// The matching file of -w, in the form fastmatch writes: comment lines
// "c matching of N1 + N2 vertices, M edges" and "c size K", then one line
// "U V" per matched pair. Every rank writes its own block of rows into the
// one file, in rank order, so the pairs come by increasing U and no rank
// holds more than its own part. The file is written under a temporary name
// and takes its name only once every rank has finished.
#pragma once

#include <mpi.h>

#include <string>

#include "combblas_matching.h"
#include "distributed_input.h"

class MatchingFile {
 public:
  MatchingFile(std::string path, MPI_Comm comm) : path(std::move(path)), comm(comm) {}
  MatchingFile(const MatchingFile&) = delete;
  MatchingFile& operator=(const MatchingFile&) = delete;
  ~MatchingFile();

  // Collective: creates the temporary file, so that a file that cannot be
  // written is known before the matching runs. False on every rank, with
  // the reason, when it cannot be created.
  bool create(std::string& error);
  // Collective: writes the matching and renames the file.
  bool write(const LocalGraph& graph, const DistributedMatching& matching, std::string& error);

 private:
  // True on every rank when `ok` is true on every rank.
  bool everywhere(bool ok) const;

  std::string path;
  std::string temporary;
  MPI_Comm comm;
  MPI_File file = MPI_FILE_NULL;
};
