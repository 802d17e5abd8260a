// toproblem: converts matrices and graphs in common formats into the suite's
// problem files. See usage() or docs/real-inputs.md.
#include <charconv>
#include <cstdio>
#include <iomanip>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fileio/dimacs.h"
#include "fileio/edge_list.h"
#include "fileio/input_error.h"
#include "fileio/input_options.h"
#include "fileio/matrix_market.h"
#include "fileio/output_paths.h"
#include "output.h"
#include "write_problem.h"

namespace {

using fileio::EdgeListOptions;
using fileio::InputError;
using fileio::MatrixMarketOptions;
using fileio::Problem;
using fileio::Source;
using fileio::SystemError;

constexpr int kFailed = 1;
constexpr int kBadInput = 2;
constexpr const char* kNoMemory = "cannot obtain enough memory for this conversion";

const char* const kUsage =
    "usage: toproblem mtx [--drop-zeros] [--merge-duplicates] [-o OUT] FILE\n"
    "       toproblem edges [--base 0|1 | --names [-m MAP]] [--undirected]\n"
    "                       [--bipartite | --flow (--source S --sink T | --super K)] [-o OUT] "
    "FILE\n"
    "       toproblem dimacs [-o OUT] FILE\n"
    "\n"
    "Writes a bipartite matching problem (mtx, edges) or a unit network (edges --flow,\n"
    "dimacs) to OUT, or to standard output without -o. FILE may be gzip-compressed;\n"
    "'-' reads standard input. Bad input: a message with its line number, exit status 2.\n"
    "OUT is written whole, through a temporary file beside it that keeps its permissions\n"
    "(a device, FIFO or socket is written in place); an OUT that is FILE is refused\n"
    "with exit status 2.\n"
    "\n"
    "mtx     Matrix Market coordinate file; rows are the first side, columns the second.\n"
    "        --drop-zeros        leave out entries whose value is zero\n"
    "        --merge-duplicates  one edge per row and column (output sorted)\n"
    "edges   pairs 'TAIL HEAD' a line; '#' and '%' start comments; more fields ignored.\n"
    "        --base 0|1          the first vertex id (default: 0 if some id is 0, else 1)\n"
    "        --names             vertices are names (words), numbered from 1 in order of\n"
    "                            first appearance; the name table goes into the output as\n"
    "                            'c name SIDE ID NAME' lines, or with -m MAP into MAP\n"
    "        --bipartite         tails as the first side, heads as the second (default)\n"
    "        --undirected        every pair in both directions\n"
    "        --flow              a unit network with terminals --source S --sink T, or with\n"
    "        --super K           a super-source joined to the K vertices nearest one end of a\n"
    "                            long shortest path and a super-sink from the K nearest the other\n"
    "dimacs  DIMACS max-flow file, checked; arcs of capacity 0 are left out, every other\n"
    "        capacity becomes 1.\n";

struct UsageError {
  std::string message;
};

struct Command {
  std::string format, input, output = "-";
  std::string map;                   // -m: the name table's file; empty: comments in the output
  std::vector<std::string> options;  // as given, for the header
  MatrixMarketOptions matrix;
  fileio::InputOptions read;  // its edge-list options
  bool bipartite = false;
};

// Options that take a value; true when `name` was one of them.
bool valueOption(Command& command, const std::string& name, const char* value) {
  if (name == "-o" || name == "--output") {
    command.output = value;
    return true;
  }
  if (command.format == "edges" && (name == "-m" || name == "--map")) {
    command.map = value;
    command.options.push_back(name + " " + value);
    return true;
  }
  const bool edgeListOption =
      name == "--base" || name == "--source" || name == "--sink" || name == "--super";
  if (command.format != "edges" || !edgeListOption) return false;
  const std::string fault = fileio::setInputOption(name, value, command.read);
  if (!fault.empty()) throw UsageError{fault};
  command.options.push_back(name + " " + value);
  return true;
}

bool flagOption(Command& command, const std::string& name) {
  const bool matrix = command.format == "mtx", edges = command.format == "edges";
  if (matrix && name == "--drop-zeros") {
    command.matrix.dropZeros = true;
  } else if (matrix && name == "--merge-duplicates") {
    command.matrix.mergeDuplicates = true;
  } else if (edges && name == "--bipartite") {
    command.bipartite = true;
  } else if (edges && name == "--undirected") {
    command.read.edges.undirected = true;
  } else if (edges && name == "--names") {
    command.read.edges.names = true;
  } else if (edges && name == "--flow") {
    command.read.edges.flow = true;
  } else {
    return false;
  }
  command.options.push_back(name);
  return true;
}

void checkEdgeOptions(const Command& command) {
  const EdgeListOptions& edges = command.read.edges;
  const bool terminals = edges.source || edges.sink, super = edges.superTerminals > 0;
  if (command.bipartite && edges.flow)
    throw UsageError{"--bipartite and --flow exclude each other"};
  if (!edges.flow && (terminals || super)) {
    throw UsageError{"--source, --sink and --super need --flow"};
  }
  if (edges.flow && terminals == super) {
    throw UsageError{"--flow needs --source S --sink T, or --super K"};
  }
  if (!command.map.empty() && !edges.names) throw UsageError{"-m needs --names"};
  if (terminals && !(edges.source && edges.sink))
    throw UsageError{"--flow needs both --source and --sink"};
}

Command parseCommand(int argc, char** argv) {
  if (argc < 2) throw UsageError{"no format given"};
  if (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help") return {};
  Command command;
  command.format = argv[1];
  if (command.format != "mtx" && command.format != "edges" && command.format != "dimacs") {
    throw UsageError{"unknown format '" + command.format + "' (mtx, edges or dimacs)"};
  }
  for (int k = 2; k < argc; ++k) {
    const std::string word = argv[k];
    if (word.size() > 1 && word[0] == '-') {
      if (flagOption(command, word)) continue;
      if (k + 1 < argc && valueOption(command, word, argv[k + 1])) {
        ++k;
        continue;
      }
      throw UsageError{"unknown option '" + word + "' for " + command.format};
    }
    if (!command.input.empty()) throw UsageError{"more than one input file"};
    command.input = word;
  }
  if (command.input.empty()) throw UsageError{"no input file"};
  if (command.format == "edges") checkEdgeOptions(command);
  return command;
}

std::vector<std::string> header(const Command& command, const Source& source,
                                const Problem& problem) {
  std::string options;
  for (const std::string& option : command.options) options += " " + option;
  std::ostringstream checksum;
  checksum << std::hex << std::setw(8) << std::setfill('0') << source.crc();
  std::vector<std::string> lines = {
      "converted by toproblem " + command.format,
      "options:" + (options.empty() ? std::string(" none") : options),
      "source: " + (command.input == "-" ? std::string("standard input") : command.input),
      "source CRC-32: " + checksum.str() + ", " + std::to_string(source.rawBytes()) + " bytes" +
          (source.compressed() ? ", gzip-compressed" : "")};
  if (!problem.names.empty()) {
    lines.push_back("vertex names: " + (command.map.empty()
                                            ? std::string("the 'c name SIDE ID NAME' lines below")
                                            : "'SIDE ID NAME' lines in " + command.map));
  }
  return lines;
}

Problem convert(const Command& command, Source& source) {
  if (command.format == "mtx") return fileio::convertMatrixMarket(source, command.matrix);
  if (command.format == "edges") return fileio::convertEdgeList(source, command.read.edges);
  return fileio::convertDimacs(source);
}

// Refuses, before anything is read, an output that is the input or the
// other output: nullopt, or the exit status.
std::optional<int> refuseOutput(const Command& command) {
  if (command.output == "-" && command.map.empty()) return std::nullopt;
  fileio::RunFiles files;
  files.standard_input = command.input == "-";
  if (!files.standard_input) files.inputs = {command.input};
  if (command.output != "-") files.outputs = {{"-o", command.output}};
  files.standard_output = command.output == "-";
  if (!command.map.empty()) files.outputs.push_back({"-m", command.map});
  std::optional<fileio::Refusal> refusal = fileio::CheckOutputs(files);
  if (!refusal) return std::nullopt;
  std::fprintf(stderr, "toproblem: %s\n", refusal->message.c_str());
  return refusal->clash ? kBadInput : kFailed;
}

int run(const Command& command) {
  if (std::optional<int> status = refuseOutput(command)) return *status;
  Source source(command.input, Source::Use::kChecksum);
  const Problem problem = convert(command, source);
  fileio::checkSolverLimits(problem);
  Output output(command.output);
  writeProblem(output, header(command, source, problem), problem, command.map.empty());
  if (!command.map.empty()) {
    Output map(command.map);
    fileio::forEachNameLine(problem.names, [&](const std::string& line) { map.text(line + "\n"); });
    map.commit();
  }
  output.commit();
  for (const std::string& message : problem.messages) {
    std::fprintf(stderr, "toproblem: %s\n", message.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Command command;
  try {
    command = parseCommand(argc, argv);
    if (command.format.empty()) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    return run(command);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "toproblem: %s (toproblem --help shows the usage)\n",
                 error.message.c_str());
    return kBadInput;
  } catch (const fileio::InputError& error) {
    std::fprintf(stderr, "toproblem: %s\n", fileio::describe(error, command.input).c_str());
    return kBadInput;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "toproblem: %s\n", kNoMemory);
    return kFailed;
  } catch (const fileio::SystemError& error) {
    std::fprintf(stderr, "toproblem: %s\n", error.what());
    return kFailed;
  }
}
