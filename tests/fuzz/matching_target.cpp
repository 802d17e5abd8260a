// Fuzz target of one matching program (FUZZ_PROGRAM, whose solver header is
// FUZZ_SOLVER_HEADER): the whole run of the program on the input, with
// options drawn from it. A run must end in one of the reader's messages with
// status 1, or in the report line with status 0, and then the matching left
// in G must be valid and maximum and its size must be the maximum that the
// verifier finds in the input text.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include FUZZ_SOLVER_HEADER
#include "harness.h"
#include "problem_text.h"
#include "run_state.h"
#include "verifier.h"

namespace {

const std::vector<std::vector<std::string>> kOptions = {
    {}, {"-i"}, {"-u0"}, {"-u", "2"}, {"-i", "-u0.5"}, {"-g", "-u=10"}};

// The matching in G, with X nodes (the source's neighbours) on the left and
// Y nodes (the sink's) on the right, numbered in list order.
struct Solved {
  verifier::Bipartite graph;
  std::vector<verifier::Pair> pairs;
};

Solved solvedMatching(const Outcome& outcome) {
  std::vector<int64_t> number(G.n, 0);
  Solved s;
  for (match_node** a = G.source->first; a < G.endOf(G.source); ++a)
    number[G.index(*a)] = ++s.graph.left;
  for (match_node** a = G.sink->first; a < G.endOf(G.sink); ++a)
    number[G.index(*a)] = ++s.graph.right;
  for (match_node** a = G.source->first; a < G.endOf(G.source); ++a) {
    match_node* x = *a;
    for (match_node** e = x->first; e < G.endOf(x); ++e)
      if (*e != G.source) s.graph.edges.emplace_back(number[G.index(x)], number[G.index(*e)]);
    if (x->mate == G.sink) continue;
    if (x->mate->mate != x) finding("mates disagree", outcome);
    s.pairs.emplace_back(number[G.index(x)], number[G.index(x->mate)]);
  }
  return s;
}

void checkRun(const Outcome& outcome, const uint8_t* data, size_t size) {
  const ReportFigures report = readReportLine(outcome, withoutWarnings(outcome.out),
                                              "%8lld %8lld %8lld %8lld %8lld %11.2f\n");
  if (report.nodes != G.n - 2L || report.edges != (G.m - 2L * (G.n - 2)) / 2)
    finding("wrong sizes", outcome);

  Solved solved = solvedMatching(outcome);
  std::string fault = verifier::checkMatching(solved.graph, solved.pairs);
  if (!fault.empty()) finding("matching in G: " + fault, outcome);
  if (static_cast<long>(solved.pairs.size()) != report.result)
    finding("size is not the matching's", outcome);
  std::optional<verifier::Bipartite> text = verifierBipartite(outcome, data, size);
  if (!text) return;
  fault = verifier::checkMatchingSize(*text, report.result);
  if (!fault.empty()) finding("against the input: " + fault, outcome);
}

void resetProgram() {
  delete[] G.nodes;
  delete[] G.arcs;
  G = graph<match_node>{};
  stats = Stats{};
  param = Params{};
  optind = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args = {FUZZ_PROGRAM};
  for (const std::string& option : pick(kOptions, data, size)) args.push_back(option);
  Outcome outcome = runProgram(programMain, args, data, size);
  if (outcome.status == 1) {
    if (!isOneOf(withoutWarnings(outcome.out), kMatchingMessages, ""))
      finding("not a reader message", outcome);
  } else if (outcome.status == 0) {
    checkRun(outcome, data, size);
  } else {
    finding("unexpected exit status", outcome);
  }
  resetProgram();
  return 0;
}
