// Fuzz target of one unit-flow program (built once per active-node order):
// the whole run on the input, with options drawn from it. A run must end in
// one of the reader's messages and a newline with status 1, or in the report
// line with status 0; then the records in G must carry a flow of the
// reported value, and that value must be the maximum the verifier finds in
// the input text.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "problem_text.h"
#include "run_state.h"
#include "unitflow.h"
#include "verifier.h"

namespace {

const std::vector<std::vector<std::string>> kOptions = {
    {}, {"-o0"}, {"-u0"}, {"-u", "3"}, {"-g", "-o", "1", "-u=0.5"}};

// Units of flow out of every node minus units into it, read from the full
// records of input arcs.
std::vector<long> balances() {
  std::vector<long> balance(G.n, 0);
  for (int32_t v = 0; v < G.n; ++v) {
    for (flow_arc* a = G.nodes[v].first; a < G.endOf(G.nodes + v); ++a) {
      if (a->cap == 1 && a->full == 1) {
        ++balance[v];
        --balance[G.index(a->to)];
      }
    }
  }
  return balance;
}

void checkFlow(const Outcome& outcome, long value) {
  std::vector<long> balance = balances();
  for (int32_t v = 0; v < G.n; ++v) {
    if (G.nodes + v == G.source || G.nodes + v == G.sink) continue;
    if (balance[v] != 0) finding("flow not conserved at node " + std::to_string(v), outcome);
  }
  if (G.source != G.sink && -balance[G.index(G.sink)] != value)
    finding("flow into the sink differs from the value", outcome);
  for (int32_t v = 0; v < G.n; ++v)
    for (flow_arc* a = G.nodes[v].first; a < G.endOf(G.nodes + v); ++a)
      if (a->pair->pair != a || a->full + a->pair->full != 1) finding("records unpaired", outcome);
}

void checkRun(const Outcome& outcome, const uint8_t* data, size_t size) {
  const ReportFigures report =
      readReportLine(outcome, outcome.out, "%8lld %8lld %8lld %21lld %21lld %11.2f\n");
  if (report.nodes != G.n || report.edges != G.m / 2) finding("wrong sizes", outcome);
  checkFlow(outcome, report.result);
  std::optional<verifier::Network> network =
      verifierNetwork(outcome, data, size, param.labelOffset, verifier::Capacities::kUnit);
  if (!network) return;
  std::string fault = verifier::checkFlowValue(*network, report.result);
  if (!fault.empty()) finding("against the input: " + fault, outcome);
}

void resetProgram() {
  delete[] G.nodes;
  delete[] G.arcs;
  G = FlowGraph{};
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
    if (!isOneOf(outcome.out, kFlowMessages, "\n")) finding("not a reader message", outcome);
  } else if (outcome.status == 0) {
    checkRun(outcome, data, size);
  } else {
    finding("unexpected exit status", outcome);
  }
  resetProgram();
  return 0;
}
