#include "problem_lines.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "fail.h"
#include "field_scanner.h"

namespace {

constexpr long kLargest = INT32_MAX;

bool fits(long value) { return value >= 0 && value <= kLargest; }

bool inRange(long number, long last) { return number >= 1 && number <= last; }

void badValue() { fail("bad value of a parameter in the problem line"); }

}  // namespace

NodeLine readMatchingNodeLine(const char* line, const MatchingProblem& problem) {
  if (!problem.seen) fail("problem description must come first");
  if (!problem.flow) fail("Node line not allowed in bipartite graph formulation");
  NodeLine node{0, '\0'};
  if (scanNodeLine(line, node.number, node.kind) < 2)
    fail("wrong number of parameters in a node description line");
  if (!inRange(node.number, problem.nodes)) fail("invalid node number");
  return node;
}

ArcEnds readMatchingArcLine(const char* line, const MatchingProblem& problem) {
  long tail = 0, head = 0, capacity = 0;
  int fields = scanArcLine(line, tail, head, capacity);
  if (fields != (problem.flow ? 3 : 2))
    fail("wrong number of parameters in an arc desrciption line");
  const long tailLast = problem.flow ? problem.nodes : problem.firstSide;
  const long headLast = problem.flow ? problem.nodes : problem.secondSide;
  if (!inRange(tail, tailLast) || !inRange(head, headLast))
    fail("invalid node reference in an arc description line");
  if (problem.flow && capacity != 1) std::printf("Warning Upper Bound changed to 1\n");
  return ArcEnds{tail, head};
}

MatchingProblem readMatchingProblemLine(const char* line) {
  const ProblemLineFields f = scanProblemLine(line);
  const char* word = f.word;
  const long a = f.a, b = f.b, c = f.c;
  const int fields = f.count;
  MatchingProblem problem;
  problem.seen = true;
  if (std::strcmp(word, "max") == 0) {
    if (fields != 3) fail("wrong number of parameters in the problem line");
    if (!fits(a) || !fits(b)) badValue();
    problem.flow = true;
    problem.arcs = b;
    long entries = 2 * b;
    if (a < 1 || entries < 1 || entries > kLargest) badValue();
    problem.nodes = static_cast<int32_t>(a);
    problem.entries = static_cast<int32_t>(entries);
  } else if (std::string_view(word).substr(0, 9) == "bipartite") {
    if (fields != 4) fail("wrong number of parameters in the problem line");
    if (!fits(a) || !fits(b) || !fits(c)) badValue();
    long nodes = a + b + 2, entries = 2 * (a + b + c);
    if (nodes > kLargest || entries < 1 || entries > kLargest) badValue();
    problem.arcs = c;
    problem.nodes = static_cast<int32_t>(nodes);
    problem.entries = static_cast<int32_t>(entries);
    problem.firstSide = static_cast<int32_t>(a);
    problem.secondSide = static_cast<int32_t>(b);
  } else {
    fail("It is not a Bipartite Matching problem line");
  }
  return problem;
}

FlowProblem readFlowProblemLine(const char* line) {
  // The word is part of the line, so a buffer of the line's length holds it.
  std::vector<char> word(std::strlen(line) + 1);
  long nodes, arcs;
  FieldScanner scan(line);
  scan.skipChar();
  scan.word(word.data(), 0);
  scan.integer(nodes);
  scan.integer(arcs);
  if (scan.result() != 3) fail("wrong number of parameters in the problem line");
  if (std::strcmp(word.data(), "max") != 0 && std::strcmp(word.data(), "unit-flow") != 0)
    fail("it is not a Unit Flow problem line");
  if (nodes < 1 || nodes > kLargest || arcs < 1 || arcs > kLargest / 2) badValue();
  return FlowProblem{static_cast<int32_t>(nodes), static_cast<int32_t>(arcs),
                     std::strcmp(word.data(), "unit-flow") == 0};
}

int32_t flowNodeIndex(long number, long offset, int32_t nodes, const char* message) {
  if (number < INT32_MIN || number > INT32_MAX) fail(message);
  long index = number - offset;
  if (index < 0 || index >= nodes) fail(message);
  return static_cast<int32_t>(index);
}
