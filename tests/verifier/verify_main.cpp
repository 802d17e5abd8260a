// verify: proves a result of the suite's programs with the independent
// verifier, or says what is wrong with it (kUsage below).
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "checked_text.h"
#include "decomposition.h"
#include "problem_file.h"
#include "result_text.h"
#include "verifier.h"

namespace {

constexpr const char* kUsage =
    "usage: verify CHECK ARGUMENTS, or verify - < CHECKS\n"
    "Proves a result of the suite's programs against its problem, or says what is\n"
    "wrong with it. The checks, and whose output each reads:\n"
    "  matching PROBLEM LISTING               match: the listing it writes\n"
    "  size PROBLEM SIZE                      a matching program: its report's size\n"
    "  matchfile PROBLEM FILE                 fastmatch -w and distmatch -w\n"
    "  cover PROBLEM MATCHFILE COVERFILE      fastmatch -w and -c\n"
    "  flow PROBLEM VALUE [OFFSET]            fastflow: its report's value\n"
    "  unitflow PROBLEM VALUE [OFFSET]        the same with every arc one unit:\n"
    "                                         unitflow-lifo and -fifo, fastflow --unit\n"
    "  flowfile PROBLEM FILE [OFFSET]         fastflow -w\n"
    "  cut PROBLEM FLOWFILE CUTFILE [OFFSET]  fastflow -w and -c\n"
    "  dm PROBLEM DMFILE                      fastmatch -d\n"
    "  -                                      one check a line from standard input\n"
    "PROBLEM is a problem file, plain or gzip: the suite's format, or for the\n"
    "matching checks a Matrix Market file or an edge list, numbered as fastmatch\n"
    "numbers its results (an edge list's ids as the list has them).\n"
    "OFFSET is the network's first node number, as fastflow -o gives it (default 1).\n"
    "A claim that holds prints one line \"ok: ...\" saying what was proven, status 0;\n"
    "a false one prints why, status 1. A file that cannot be judged (unreadable,\n"
    "malformed, or naming what the problem lacks) gets a message with the file, the\n"
    "line and the fault, status 2, as does a usage error. With -, every check is\n"
    "reported, a summary line follows, and the status is the worst of them.\n";

enum Status { kProven = 0, kFalse = 1, kNotJudged = 2 };

// A command line that is no check.
struct UsageError {
  std::string why;
};

struct Verdict {
  std::string fault;  // empty when the claim holds
  std::string proof;  // what was proven, when it holds
};

verifier::TextFile read(const std::string& path) { return verifier::TextFile::Read(path); }

// The largest offset keeps every node number within 64 bits.
int64_t offsetOf(const std::vector<std::string>& words, size_t position) {
  if (words.size() <= position) return 1;
  return verifier::ParseArgument(words[position], "offset", INT32_MIN, INT32_MAX);
}

std::string matchingProof(size_t size) {
  return "maximum matching of size " + std::to_string(size) + ", proven by a vertex cover of " +
         std::to_string(size);
}

Verdict checkMatchings(const std::vector<std::string>& words) {
  verifier::VertexNumbers numbers;
  verifier::Bipartite g = verifier::readBipartiteFile(words[1], &numbers);
  if (words[0] == "matching") {
    std::vector<verifier::Pair> pairs = verifier::readMatchListing(read(words[2]), g);
    return {verifier::checkMatching(g, pairs), matchingProof(pairs.size())};
  }
  if (words[0] == "size") {
    int64_t size = verifier::ParseArgument(words[2], "size", 0, INT64_MAX);
    return {verifier::checkMatchingSize(g, size),
            "the maximum matching has size " + words[2] +
                ", proven by a matching and a vertex cover of " + words[2]};
  }
  verifier::MatchingClaim matching = verifier::readMatchingFile(read(words[2]), numbers);
  if (words[0] == "matchfile")
    return {verifier::checkMatchingClaim(g, matching), matchingProof(matching.pairs.size())};
  verifier::CoverClaim cover = verifier::readCoverFile(read(words[3]), numbers);
  std::string size = std::to_string(cover.size);
  return {verifier::checkCover(g, matching, cover),
          "minimum vertex cover of size " + size + ", proven by a matching of size " + size};
}

// What a flow is of: the network, or its unit version.
std::string flowOf(bool unit) { return unit ? " with every arc one unit" : ""; }

// `flow` and `unitflow`: a value claimed for the network or its unit
// version.
Verdict checkFlowValue(const std::vector<std::string>& words) {
  const bool unit = words[0] == "unitflow";
  const verifier::Network g =
      verifier::readNetworkFile(words[1], offsetOf(words, 3),
                                unit ? verifier::Capacities::kUnit : verifier::Capacities::kRead);
  int64_t value = verifier::ParseArgument(words[2], "value", 0, INT64_MAX);
  return {verifier::checkFlowValue(g, value), "the maximum flow" + flowOf(unit) + " has value " +
                                                  words[2] + ", proven by a flow and a cut of " +
                                                  words[2]};
}

// `flowfile` and `cut`: a flow file, and a cut file beside it, of the
// network or, when the flow file says so, of its unit version.
Verdict checkFlowFiles(const std::vector<std::string>& words, size_t files) {
  const verifier::TextFile flowText = read(words[2]);
  const bool unit = verifier::isUnitFlowFile(flowText);
  const int64_t offset = offsetOf(words, files + 1);
  const verifier::Network g = verifier::readNetworkFile(
      words[1], offset, unit ? verifier::Capacities::kUnit : verifier::Capacities::kRead);
  verifier::FlowClaim flow = verifier::readFlowFile(flowText, g, offset);
  std::string value = std::to_string(flow.value);
  if (words[0] == "flowfile")
    return {verifier::checkFlowClaim(g, flow),
            "maximum flow" + flowOf(unit) + " of value " + value + ", proven by a cut of " + value};
  verifier::CutClaim cut = verifier::readCutFile(read(words[3]), g, offset);
  return {verifier::checkCut(g, flow, cut), "minimum cut" + flowOf(unit) + " of capacity " + value +
                                                ", proven by a flow of value " + value};
}

Verdict checkDecompositionFile(const std::vector<std::string>& words) {
  verifier::VertexNumbers numbers;
  verifier::Bipartite g = verifier::readBipartiteFile(words[1], &numbers);
  verifier::Decomposition d = verifier::readDecompositionFile(read(words[2]), numbers);
  return {verifier::checkDecomposition(g, d),
          "Dulmage-Mendelsohn decomposition of structural rank " + std::to_string(d.rank) + ", " +
              std::to_string(d.blocks) +
              " blocks, proven by the matching on its diagonals, the cover its staircase gives, "
              "alternating paths from the free vertices and strongly connected blocks"};
}

// The check `words` name: the command and how many of its words are files
// and claims; usage errors are thrown.
Verdict check(const std::vector<std::string>& words) {
  const size_t n = words.size();
  const std::string command = n > 0 ? words[0] : "";
  if ((n == 3 && (command == "matching" || command == "size" || command == "matchfile")) ||
      (n == 4 && command == "cover"))
    return checkMatchings(words);
  if ((n == 3 || n == 4) && (command == "flow" || command == "unitflow"))
    return checkFlowValue(words);
  if ((n == 3 || n == 4) && command == "flowfile") return checkFlowFiles(words, 2);
  if ((n == 4 || n == 5) && command == "cut") return checkFlowFiles(words, 3);
  if (n == 3 && command == "dm") return checkDecompositionFile(words);
  throw UsageError{n == 0 ? "no check given"
                          : "not a check: '" + command + "' with " + std::to_string(n - 1) +
                                " arguments"};
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// Runs one check and reports it: the proof when `proofs`, the fault, or why
// it could not be judged (prefixed by the check in a batch).
Status run(const std::vector<std::string>& words, bool proofs, bool batch) {
  std::string unusable;
  try {
    Verdict verdict = check(words);
    if (verdict.fault.empty()) {
      if (proofs) std::cout << "ok: " << verdict.proof << '\n';
      return kProven;
    }
    std::cout << joined(words) << " : " << verdict.fault << '\n';
    return kFalse;
  } catch (const verifier::InputFault& fault) {
    unusable = fault.message;
  } catch (const UsageError& error) {
    unusable = error.why + (batch ? "" : "\n" + std::string(kUsage));
  } catch (const std::bad_alloc&) {
    unusable = "out of memory";
  }
  std::cerr << "verify: " << (batch ? joined(words) + ": " : "") << unusable << '\n';
  return kNotJudged;
}

// `verify -`: every line of standard input is a check.
Status runBatch() {
  Status worst = kProven;
  int64_t checks = 0, failed = 0, unjudged = 0;
  for (std::string text; std::getline(std::cin, text);) {
    std::istringstream split(text);
    std::vector<std::string> words{std::istream_iterator<std::string>(split), {}};
    if (words.empty()) continue;
    Status status = run(words, false, true);
    ++checks;
    failed += status == kFalse;
    unjudged += status == kNotJudged;
    worst = std::max(worst, status);
  }
  if (worst == kProven) {
    std::cout << "ok: all " << checks << " claims proven\n";
  } else {
    std::cout << failed << " of " << checks << " claims false, " << unjudged << " not judged\n";
  }
  return worst;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.size() == 1 && (words[0] == "-h" || words[0] == "--help")) {
    std::cout << kUsage;
    return 0;
  }
  Status status = words.size() == 1 && words[0] == "-" ? runBatch() : run(words, true, false);
  std::cout.flush();
  return status;
}
