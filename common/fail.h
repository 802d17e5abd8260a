// Fatal input and resource errors of the solver programs.
#pragma once

// How the program's messages end: the matching programs print the bare
// message, the unit-flow programs add a newline. Each program defines it
// next to its entry.
extern const char* const messageEnd;

// Prints `message` and messageEnd on standard output and exits with status 1.
[[noreturn]] void fail(const char* message);

constexpr const char* kNoMemory = "can't obtain enough memory to solve this problem";
