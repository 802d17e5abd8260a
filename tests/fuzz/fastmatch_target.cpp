// Fuzz target of fastmatch: the whole run on the input, with an algorithm
// drawn from it and all three result files written. A run must end in one
// of the reader's messages with status 1 (or a refusal of the whole file,
// such as a compression it does not read), or in the report line with status
// 0; the size must be the maximum the verifier finds in the input, the files
// a maximum matching and a vertex cover of its size, and the input's
// Dulmage-Mendelsohn decomposition.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "decomposition.h"
#include "harness.h"
#include "result_text.h"
#include "verifier.h"

namespace {

// The last three solve on two threads however small the problem.
const std::vector<std::vector<std::string>> kAlgorithms = {
    {"-a", "ks+pf"},
    {"-a", "ks+pr"},
    {"-a", "greedy+pf"},
    {"-a", "greedy+pr"},
    {"-a", "none+pr"},
    {"-a", "none+pf"},
    {"-a", "ks+pr-either"},
    {"-a", "ks-greedy+pf"},
    {"-a", "greedy+pf-interleaved"},
    {"-a", "greedy+sweeps"},
    {"-a", "ks-one+pf/second"},
    {"-a", "ks+pf", "-t", "2", "--threads-from", "0"},
    {"-a", "greedy+pf-both", "-t", "2", "--threads-from", "0"},
    {"-t", "2", "--threads-from", "0"}};

void checkRun(const Outcome& outcome, const uint8_t* data, size_t size,
              const std::string& pairs_path, const std::string& cover_path,
              const std::string& dm_path) {
  const ReportFigures figures = readReportLine(outcome, withoutWarnings(outcome.out),
                                               "%8lld %8lld %8lld %8lld %8lld %11.3f\n");
  if (figures.first > figures.result) finding("more initial pairs than pairs", outcome);

  verifier::VertexNumbers numbers;
  std::optional<verifier::Bipartite> graph = verifierBipartite(outcome, data, size, &numbers);
  if (!graph) return;
  std::string fault = verifier::checkMatchingSize(*graph, figures.result);
  if (!fault.empty()) finding("against the input: " + fault, outcome);
  // A name table in the leading comments gives the files in names, which
  // the verifier does not read.
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.rfind("c name ", 0) == 0 || text.find("\nc name ") != std::string::npos) return;
  verifier::MatchingClaim matching;
  verifier::CoverClaim cover;
  try {
    matching = verifier::readMatchingFile(verifier::TextFile::Read(pairs_path), numbers);
    cover = verifier::readCoverFile(verifier::TextFile::Read(cover_path), numbers);
  } catch (const verifier::InputFault& unreadable) {
    finding("result files: " + unreadable.message, outcome);
  }
  fault = verifier::checkCover(*graph, matching, cover);
  if (!fault.empty()) finding("result files: " + fault, outcome);
  verifier::Decomposition decomposition;
  try {
    decomposition = verifier::readDecompositionFile(verifier::TextFile::Read(dm_path), numbers);
  } catch (const verifier::InputFault& unreadable) {
    finding("decomposition file: " + unreadable.message, outcome);
  }
  fault = verifier::checkDecomposition(*graph, decomposition);
  if (!fault.empty()) finding("decomposition: " + fault, outcome);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string stem = "/tmp/fuzz_fastmatch." + std::to_string(getpid());
  const std::string pairs_path = stem + ".pairs", cover_path = stem + ".cover",
                    dm_path = stem + ".dm";
  // The suite's format alone: the other formats' readers have a target of
  // their own (fileio_target.cpp).
  std::vector<std::string> args = {FUZZ_PROGRAM, "--format", "problem", "-w",   pairs_path,
                                   "-c",         cover_path, "-d",      dm_path};
  for (const std::string& option : pick(kAlgorithms, data, size)) args.push_back(option);
  optind = 0;
  Outcome outcome = runProgram(programMain, args, data, size, true);
  if (outcome.status == 1) {
    if (!isFileRefusal(outcome, FUZZ_PROGRAM) &&
        !isOneOf(withoutWarnings(outcome.out), kMatchingMessages, ""))
      finding("not a reader message", outcome);
  } else if (outcome.status == 0) {
    checkRun(outcome, data, size, pairs_path, cover_path, dm_path);
  } else {
    finding("unexpected exit status", outcome);
  }
  unlink(pairs_path.c_str());
  unlink(cover_path.c_str());
  unlink(dm_path.c_str());
  return 0;
}
