// The line protocol shared by the problem readers: what each line type
// means, and how the input must end.
#pragma once

#include <cstdio>

#include "fail.h"
#include "graph.h"
#include "line_input.h"

// Hands a problem, node or arc line to the reader's problemLine, nodeLine
// or arcLine. Empty lines, comments ('c') and 't' lines are skipped; any
// other first character ends the run with its message.
template <class Reader>
void dispatchProblemLine(const char* line, Reader& reader) {
  switch (line[0]) {
    case '\0':
    case 'c':
    case 't':
      break;
    case 'p':
      reader.problemLine(line);
      break;
    case 'n':
      reader.nodeLine(line);
      break;
    case 'a':
      reader.arcLine(line);
      break;
    default:
      fail("unknown line type in the input");
  }
}

// Once `lines` is exhausted: a read error and an input without a single
// line end the run with their messages.
inline void checkProblemLinesEnd(const LineInput& lines) {
  if (lines.failed()) fail("reading error");
  if (lines.linesRead() == 0) fail("input file is empty");
}

// Reads `in` to its end and hands every line to dispatchProblemLine.
template <class Reader>
void readProblemLines(FILE* in, Reader& reader) {
  LineInput lines(in);
  while (const char* line = lines.next()) dispatchProblemLine(line, reader);
  checkProblemLinesEnd(lines);
}

// As readProblemLines, but a reader with a bulk path for its common lines
// is first offered the text not yet read as lines: reader.plainLines(text,
// &count) parses as many whole lines from the start of `text` as it can
// take itself (the text ends in a NUL), and returns the position after them
// and their number in `count`. The next line goes the usual way, and the
// offer is made again after it.
template <class Reader>
void readProblemLinesInBulk(FILE* in, Reader& reader) {
  LineInput lines(in);
  for (;;) {
    if (lines.unread() != lines.unreadEnd()) {
      long count = 0;
      const char* after = reader.plainLines(lines.unread(), &count);
      lines.skipLines(after, count);
    }
    const char* line = lines.next();
    if (line == nullptr) break;
    dispatchProblemLine(line, reader);
  }
  checkProblemLinesEnd(lines);
}

// A node line's letter: 's' names `node` the source, 't' the sink; each may
// be named once. `none` is the value of a terminal not yet named.
template <class Id>
void nameTerminal(Id& source, Id& sink, Id node, Id none, char kind) {
  if (kind == 's') {
    if (source != none) fail("Multiple sources not permitted");
    source = node;
  } else if (kind == 't') {
    if (sink != none) fail("Multiple sinks not permitted");
    sink = node;
  } else {
    fail("Improper source-sink description in node description line");
  }
}

template <class Node, class Arc>
void nameTerminal(graph<Node, Arc>& G, Node* node, char kind) {
  nameTerminal(G.source, G.sink, node, static_cast<Node*>(nullptr), kind);
}
