// fastflow: reads a network with arc capacities, computes a maximum flow
// and prints the report line; on request writes the flow and a minimum
// cut.
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "fail.h"
#include "fastcore/max_flow.h"
#include "fileio/safe_writer.h"
#include "network_input.h"
#include "result_files.h"
#include "solve_clock.h"

const char* const messageEnd = "\n";

namespace {

struct Options {
  fast::MaxFlowAlgorithm algorithm = fast::MaxFlowAlgorithm::kAuto;
  NetworkInput input;
  long offset = 1;  // -o: the number of the first node
  bool offsetGiven = false;
  std::string flowFile;  // -w, empty when not asked for
  std::string cutFile;   // -c
  int threads = 1;       // -t
  long long threadsFrom = fast::MatchingOptions{}.parallel_min_entries;  // --threads-from
};

void usage(FILE* out) {
  std::fputs(
      "Usage: fastflow [-a ALGORITHM] [--unit] [-o X] [-t THREADS] [-w FILE] [-c FILE]\n"
      "                [INPUT OPTIONS] [NETWORK]\n"
      "Reads a network from NETWORK (standard input when it is missing or -) and\n"
      "prints: nodes, arcs, flow value, phases, arc scans, solve seconds. NETWORK is\n"
      "a \"p max\" network with capacities 0 ... 2^62, a \"p unit-flow\" network\n"
      "(every capacity taken as 1) or an edge list (every pair an arc of capacity\n"
      "1), plain or gzip, told apart by content.\n"
      "  -a ALGORITHM  auto (the default: chosen by a look at the network),\n"
      "                highest-label, partial-augment, push-relabel, dinic,\n"
      "                boykov-kolmogorov, pseudoflow or hybrid\n"
      "  --unit        every arc is one unit, whatever its capacity\n"
      "  -o X          node numbers start at X (default 1)\n"
      "  -t THREADS    solve on this many threads (default 1; 0: every processor\n"
      "                this process may use); only the matching of a unit network\n"
      "                of the matching shape uses them, the other algorithms run\n"
      "                on one; on more than one the seconds are wall-clock\n"
      "                seconds, and a note on standard error says so\n"
      "  --threads-from EDGES\n"
      "                a matching of fewer edges is solved on one thread whatever\n"
      "                -t says (default 1048576)\n"
      "  -w FILE       write the flow on each arc that carries some to FILE\n"
      "  -c FILE       write the source side of a minimum cut to FILE\n"
      "  -h, --help    print this text\n"
      "Input options:\n"
      "  --format F    problem or edges: the format, when content does not tell\n"
      "  --source S --sink T, or --super K\n"
      "                an edge list's terminals: vertices S and T, or a super-source\n"
      "                joined to the K vertices nearest one end of a long shortest\n"
      "                path and a super-sink from the K nearest the other\n"
      "  --base 0|1    an edge list's first vertex id (default: 0 if some id is 0);\n"
      "                the result files keep the list's numbering\n"
      "  --undirected  an edge list's pairs in both directions\n"
      "A result file is written whole, through a temporary file beside it that\n"
      "keeps its permissions (a device, FIFO or socket is written in place); one\n"
      "that is the network, the standard output or the other result file is\n"
      "refused before anything is read.\n",
      out);
}

[[noreturn]] void usageError() {
  usage(stderr);
  std::exit(1);
}

// Options end at the first operand, as in the other solver programs: the
// network file.
Options parseOptions(int argc, char** argv) {
  // The input options have no letter; they go to the shared parser by name.
  constexpr int kInputOption = 256, kThreadsFrom = 257;
  static const option kLong[] = {{"help", no_argument, nullptr, 'h'},
                                 {"threads-from", required_argument, nullptr, kThreadsFrom},
                                 {"unit", no_argument, nullptr, 'u'},
                                 {"format", required_argument, nullptr, kInputOption},
                                 {"source", required_argument, nullptr, kInputOption},
                                 {"sink", required_argument, nullptr, kInputOption},
                                 {"super", required_argument, nullptr, kInputOption},
                                 {"base", required_argument, nullptr, kInputOption},
                                 {"undirected", no_argument, nullptr, kInputOption},
                                 {}};
  Options options;
  int letter, index = 0;
  while ((letter = getopt_long(argc, argv, "+a:c:ho:t:w:", kLong, &index)) != -1) {
    if (optarg != nullptr && optarg[0] == '=') ++optarg;  // -o=5 means -o 5
    switch (letter) {
      case kInputOption: {
        const std::string fault = fileio::setInputOption(std::string("--") + kLong[index].name,
                                                         optarg, options.input.options);
        if (!fault.empty()) {
          std::fprintf(stderr, "fastflow: %s\n", fault.c_str());
          usageError();
        }
        break;
      }
      case 'a':
        if (!fast::ParseMaxFlowAlgorithm(optarg, &options.algorithm)) {
          std::fprintf(stderr, "fastflow: unknown algorithm '%s'\n", optarg);
          usageError();
        }
        break;
      case 'c':
      case 'w':
        // An empty name would read as "not asked for" further on.
        if (*optarg == '\0') {
          std::fputs("fastflow: -w and -c need a file name\n", stderr);
          usageError();
        }
        (letter == 'w' ? options.flowFile : options.cutFile) = optarg;
        break;
      case 'h':
        usage(stdout);
        std::exit(0);
      case 'o':
        options.offset = std::atoi(optarg);
        options.offsetGiven = true;
        break;
      case 'u':
        options.input.unit = true;
        break;
      case 't':
        if (!parseThreadCount(optarg, &options.threads)) {
          std::fputs("fastflow: -t needs a number of threads, from 0 (every processor) to 4096\n",
                     stderr);
          usageError();
        }
        break;
      case kThreadsFrom:
        if (!parseThreadsFrom(optarg, &options.threadsFrom)) {
          std::fputs("fastflow: --threads-from needs a number of edges\n", stderr);
          usageError();
        }
        break;
      default:
        usageError();
    }
  }
  if (optind < argc) options.input.path = argv[optind++];
  if (optind < argc) {
    std::fprintf(stderr, "fastflow: one network file, after the options, not also '%s'\n",
                 argv[optind]);
    usageError();
  }
  return options;
}

// Refuses, before anything is read, result files that would replace the
// network, the report line or each other.
void checkOutputs(const Options& options) {
  const std::string& input = options.input.path;
  fileio::RunFiles files{
      input == "-", true, {}, {{"-w", options.flowFile}, {"-c", options.cutFile}}};
  if (input != "-") files.inputs.push_back(input);
  if (std::optional<fileio::Refusal> refusal = fileio::CheckOutputs(files)) {
    std::fprintf(stderr, "fastflow: %s\n", refusal->message.c_str());
    std::exit(1);
  }
}

// Empty, or why a result file could not be written.
std::string writeResults(const Options& options, const ReadNetwork& network,
                         const fast::MaxFlow& flow) {
  std::string error;
  if (!options.flowFile.empty())
    error = WriteFlowFile(options.flowFile, network, flow, options.offset);
  if (error.empty() && !options.cutFile.empty())
    error = WriteCutFile(options.cutFile, flow, options.offset);
  return error;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parseOptions(argc, argv);
  checkOutputs(options);
  const long given = options.offset;
  ReadNetwork network = ReadNetworkInput(options.input, &options.offset);
  if (options.offsetGiven && options.offset != given) {
    std::fprintf(
        stderr,
        "fastflow: -o numbers a network file's nodes; an edge list keeps its own (--base)\n");
    return 1;
  }
  fast::MaxFlow flow(network.view(), options.algorithm);
  flow.SetThreads(options.threads, options.threadsFrom);
  // Building the residual arrays belongs to reading, as the other programs'
  // list building does; the seconds are the algorithm's.
  fast::Status status = flow.Prepare();
  const SolveClock clock;
  if (status == fast::Status::kOptimal) status = flow.Solve();
  const double seconds = clock.seconds(flow.threads());
  if (status == fast::Status::kOutOfMemory) fail(kNoMemory);
  if (status != fast::Status::kOptimal) fail(std::string(fast::StatusMessage(status)).c_str());
  noteThreads("fastflow", options.threads, flow.threads());
  std::string error = writeResults(options, network, flow);
  if (error.empty()) {
    const fast::FlowCounters& counters = flow.counters();
    std::printf("%8ld %8ld %8ld %21llu %21llu %11.3f\n", long(network.nodes),
                long(network.tails.size()), long(flow.value()),
                static_cast<unsigned long long>(counters.phases),
                static_cast<unsigned long long>(counters.arc_scans), seconds);
    if (fileio::FinishStandardOutput(&error)) return 0;
  }
  std::fprintf(stderr, "fastflow: %s\n", error.c_str());
  return 1;
}
