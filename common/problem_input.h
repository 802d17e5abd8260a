// The line protocol shared by the problem readers: what each line type
// means, and how the input must end.
#pragma once

#include <cstdio>

#include "fail.h"
#include "graph.h"
#include "line_input.h"

// Reads `in` to its end and hands every problem, node and arc line to the
// reader's problemLine, nodeLine and arcLine. Empty lines, comments ('c')
// and 't' lines are skipped; any other first character, a read error and an
// input without a single line end the run with their messages.
template <class Reader>
void readProblemLines(FILE* in, Reader& reader) {
  LineInput lines(in);
  while (const char* line = lines.next()) {
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
  if (lines.failed()) fail("reading error");
  if (lines.linesRead() == 0) fail("input file is empty");
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
