// Command-line options of the solver programs.
#pragma once

// Option strings: the matching programs take -g -i -o X -u U, the unit-flow
// programs all but -i.
constexpr const char* kMatchingOptions = "gio:u:";
constexpr const char* kFlowOptions = "go:u:";

// Reads the options into `param`. Processing stops at the first argument that
// is not an option; it and everything after it are ignored. An unknown option
// or a missing value prints getopt's diagnostic and the usage text on
// standard error and exits with status 1. Otherwise a note on standard error
// names each -u value that is not a number, in order, and then the ignored
// operand, if there is one.
void parse_arguments(int argc, char* const* argv, const char* optstring);

// Writes the usage text for `optstring` to standard error.
void usage(const char* progname, const char* optstring);
