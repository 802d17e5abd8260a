// fastflow: reads a network with arc capacities from standard input,
// computes a maximum flow and prints the report line; on request writes the
// flow and a minimum cut.
#include <getopt.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fail.h"
#include "fastcore/max_flow.h"
#include "network_reader.h"
#include "output_file.h"

const char* const messageEnd = "\n";

namespace {

struct Options {
  fast::MaxFlowAlgorithm algorithm = fast::MaxFlowAlgorithm::kAuto;
  bool unit = false;               // --unit: every arc is one unit
  long offset = 1;                 // -o: the number of the first node
  const char* flowFile = nullptr;  // -w
  const char* cutFile = nullptr;   // -c
};

void usage(FILE* out) {
  std::fputs(
      "Usage: fastflow [-a ALGORITHM] [--unit] [-o X] [-w FILE] [-c FILE] < NETWORK\n"
      "Reads a network (\"p max\" with capacities 0 ... 2^62, or \"p unit-flow\")\n"
      "and prints: nodes, arcs, flow value, phases, arc scans, solve seconds.\n"
      "  -a ALGORITHM  auto (the default: chosen by a look at the network),\n"
      "                highest-label, push-relabel, dinic or hybrid\n"
      "  --unit        every arc is one unit, whatever its capacity\n"
      "  -o X          node numbers start at X (default 1)\n"
      "  -w FILE       write the flow on each arc that carries some to FILE\n"
      "  -c FILE       write the source side of a minimum cut to FILE\n"
      "  -h, --help    print this text\n",
      out);
}

// User CPU seconds of this process so far, as the other programs time a solve.
double userSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6;
}

[[noreturn]] void usageError() {
  usage(stderr);
  std::exit(1);
}

[[noreturn]] void fileError(const std::string& what) {
  std::fprintf(stderr, "fastflow: %s\n", what.c_str());
  std::exit(1);
}

// Options end at the first operand, as in the other solver programs; an
// operand is refused, since the network is read from standard input.
Options parseOptions(int argc, char** argv) {
  static const option kLong[] = {
      {"help", no_argument, nullptr, 'h'}, {"unit", no_argument, nullptr, 'u'}, {}};
  Options options;
  int letter;
  while ((letter = getopt_long(argc, argv, "+a:c:ho:w:", kLong, nullptr)) != -1) {
    if (optarg != nullptr && optarg[0] == '=') ++optarg;  // -o=5 means -o 5
    switch (letter) {
      case 'a':
        if (!fast::ParseMaxFlowAlgorithm(optarg, &options.algorithm)) {
          std::fprintf(stderr, "fastflow: unknown algorithm '%s'\n", optarg);
          usageError();
        }
        break;
      case 'c':
        options.cutFile = optarg;
        break;
      case 'h':
        usage(stdout);
        std::exit(0);
      case 'o':
        options.offset = std::atoi(optarg);
        break;
      case 'u':
        options.unit = true;
        break;
      case 'w':
        options.flowFile = optarg;
        break;
      default:
        usageError();
    }
  }
  if (optind < argc) {
    std::fprintf(stderr, "fastflow: the network is read from standard input, not '%s'\n",
                 argv[optind]);
    usageError();
  }
  for (const char* path : {options.flowFile, options.cutFile})
    if (path != nullptr && isStandardInput(path))
      fileError(std::string("output file ") + path + " is the standard input");
  return options;
}

// "c flow value F", then "U V X" for every arc carrying X > 0, in input
// order. When every arc counted as one unit, a second comment line says so
// and the lines are "U V".
void writeFlow(const char* path, const ReadNetwork& g, const fast::MaxFlow& flow, long offset) {
  OutputFile out(path);
  if (out.Open()) {
    const bool unit = g.capacities.empty();
    out.Text("c flow value ");
    out.Number(flow.value());
    out.Char('\n');
    if (unit) out.Text("c every arc counted as one unit\n");
    const std::vector<int64_t>& carries = flow.arc_flow();
    for (size_t i = 0; i < carries.size(); ++i) {
      if (carries[i] == 0) continue;
      out.Number(g.tails[i] + int64_t(offset));
      out.Char(' ');
      out.Number(g.heads[i] + int64_t(offset));
      if (!unit) {
        out.Char(' ');
        out.Number(carries[i]);
      }
      out.Char('\n');
    }
  }
  if (!out.error().empty() || !out.Commit()) fileError(out.error());
}

// "c minimum cut capacity F", then "S" for every node on the source side.
void writeCut(const char* path, const fast::MaxFlow& flow, long offset) {
  OutputFile out(path);
  if (out.Open()) {
    out.Text("c minimum cut capacity ");
    out.Number(flow.value());
    out.Text("\nc source side\n");
    const std::vector<uint8_t>& side = flow.source_side();
    for (size_t u = 0; u < side.size(); ++u) {
      if (!side[u]) continue;
      out.Number(int64_t(u) + offset);
      out.Char('\n');
    }
  }
  if (!out.error().empty() || !out.Commit()) fileError(out.error());
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parseOptions(argc, argv);
  ReadNetwork network = readNetwork(stdin, options.offset, options.unit);
  fast::MaxFlow flow(network.view(), options.algorithm);
  // Building the residual arrays belongs to reading, as the other programs'
  // list building does; the seconds are the algorithm's.
  fast::Status status = flow.Prepare();
  double start = userSeconds();
  if (status == fast::Status::kOptimal) status = flow.Solve();
  double seconds = userSeconds() - start;
  if (status == fast::Status::kOutOfMemory) fail(kNoMemory);
  if (status != fast::Status::kOptimal) fail(std::string(fast::StatusMessage(status)).c_str());
  if (options.flowFile != nullptr) writeFlow(options.flowFile, network, flow, options.offset);
  if (options.cutFile != nullptr) writeCut(options.cutFile, flow, options.offset);
  const fast::FlowCounters& counters = flow.counters();
  std::printf("%8ld %8ld %8ld %21llu %21llu %11.3f\n", long(network.nodes),
              long(network.tails.size()), long(flow.value()),
              static_cast<unsigned long long>(counters.phases),
              static_cast<unsigned long long>(counters.arc_scans), seconds);
  return 0;
}
