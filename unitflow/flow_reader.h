// Problem reader of the unit-flow programs.
#pragma once

#include <cstdio>

#include "unitflow.h"

// Reads a "max" or "unit-flow" network from `in` into `g`: node lines name the
// source and the sink, node numbers start at param.labelOffset, and every arc
// gets capacity 1 whatever the line says. Each arc line yields a record in
// its tail's list and a paired reverse record in its head's list. On an input
// error prints its message and a newline and exits with status 1.
void parse(FlowGraph& g, FILE* in = stdin);
