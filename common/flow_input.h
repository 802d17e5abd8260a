// The line protocol of the unit-flow input, shared by its two readers (the
// unit-flow programs' and fastflow's): one problem line first, node lines
// naming the source and the sink, then the arc lines, with node numbers
// starting at a given offset. Each reader stores the problem its own way,
// through a `Target` with two calls:
//   target.problem(FlowProblem) — once, for the declared counts;
//   target.arc(tail, head)      — per arc line, node indices counted from 0.
// A target whose arc call takes two more arguments,
// arc(tail, head, capacity, whole), gets the capacity as read (any long,
// saturated as strtol does) and whether its digits ended the number (false
// for "1.5" or "10x"); the target judges them.
// Every fault prints its message and a newline and exits with status 1.
#pragma once

#include <cstdint>
#include <cstdio>
#include <type_traits>
#include <utility>

#include "fail.h"
#include "field_scanner.h"
#include "plain_arc_line.h"
#include "problem_input.h"
#include "problem_lines.h"

// True when T has arc(tail, head, capacity, whole).
template <class T, class = void>
struct KeepsCapacities : std::false_type {};
template <class T>
struct KeepsCapacities<
    T, std::void_t<decltype(std::declval<T&>().arc(int32_t{}, int32_t{}, long{}, bool{}))>>
    : std::true_type {};

template <class Target>
class FlowInput {
 public:
  FlowInput(Target& target, long offset) : target(target), offset(offset) {}

  // Reads `in` to its end: afterwards every declared arc has gone to the
  // target and `source` and `sink` are set.
  void read(FILE* in) {
    readProblemLines(in, *this);
    checkEnd();
  }

  // The same, with the plain arc lines parsed in bulk (plainLines).
  void readInBulk(FILE* in) {
    readProblemLinesInBulk(in, *this);
    checkEnd();
  }

  // The plain arc lines "a T H C" at the start of `text`, while each names
  // two nodes of the network and the problem allows another, go to the
  // target as arcLine sends them; the capacity is not looked at.
  const char* plainLines(const char* text, long* count) {
    if (!nodeLineSeen) return text;
    const long left = arcLinesLeft;
    uint32_t fields[3];
    for (const char* after; arcLinesLeft > 0; text = after) {
      after = parsePlainArcLine<3>(text, fields);
      if (after == nullptr) break;
      const long tail = long{fields[0]} - offset, head = long{fields[1]} - offset;
      if (tail < 0 || tail >= problem.nodes || head < 0 || head >= problem.nodes) break;
      --arcLinesLeft;
      sendArc(target, static_cast<int32_t>(tail), static_cast<int32_t>(head), long{fields[2]},
              true);
    }
    *count = left - arcLinesLeft;
    return text;
  }

  void problemLine(const char* line) {
    if (problemSeen) fail("more than one problem line");
    problemSeen = true;
    problem = readFlowProblemLine(line);
    target.problem(problem);
    arcLinesLeft = problem.arcs;
  }

  void nodeLine(const char* line) {
    if (!problemSeen) fail("problem description must come first");
    long number;
    char kind;
    if (scanNodeLine(line, number, kind) < 2)
      fail("wrong number of parameters in a node description line");
    nameTerminal(source, sink, index(number, "invalid node number"), kNone, kind);
    nodeLineSeen = true;
  }

  void arcLine(const char* line) {
    if (!nodeLineSeen) fail("too few nodes lines");
    if (arcLinesLeft == 0) fail("too many arcs input");
    long tail, head, capacity;
    const char* after;
    if (scanArcLine(line, tail, head, capacity, &after) != 3)
      fail("wrong number of parameters in an arc desrciption line");
    const char* badReference = "invalid node reference in an arc description line";
    const int32_t t = index(tail, badReference);
    const int32_t h = index(head, badReference);
    --arcLinesLeft;
    sendArc(target, t, h, capacity, *after == '\0' || FieldScanner::isSpace(*after));
  }

  static constexpr int32_t kNone = -1;  // a terminal not named yet
  int32_t source = kNone;
  int32_t sink = kNone;

 private:
  void checkEnd() const {
    if (!problemSeen) fail("no problem line in the input");
    if (arcLinesLeft > 0) fail("too few arcs input");
    if (source == kNone || sink == kNone) fail("no source or sink in the input");
  }

  template <class T>
  static void sendArc(T& to, int32_t tail, int32_t head, long capacity, bool whole) {
    if constexpr (KeepsCapacities<T>::value)
      to.arc(tail, head, capacity, whole);
    else
      to.arc(tail, head);
  }

  int32_t index(long number, const char* message) const {
    return flowNodeIndex(number, offset, problem.nodes, message);
  }

  Target& target;
  const long offset;
  FlowProblem problem;
  bool problemSeen = false;
  bool nodeLineSeen = false;  // arc lines are refused before the first one
  long arcLinesLeft = 0;      // arc lines the problem line still allows
};
