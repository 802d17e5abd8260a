// verify: checks solver results with the independent verifier.
//
//   verify matching PROBLEM LISTING     match's output file is a maximum matching
//   verify size PROBLEM SIZE            SIZE is the maximum matching size
//   verify flow PROBLEM VALUE [OFFSET]  VALUE is the maximum flow value
//   verify matchfile PROBLEM FILE       fastmatch's -w file is a maximum matching
//   verify cover PROBLEM MATCHFILE COVERFILE
//                                       fastmatch's -c file is a vertex cover of the
//                                       matching's size
//   verify flowfile PROBLEM FILE [OFFSET]
//                                       fastflow's -w FILE is a maximum flow
//   verify cut PROBLEM FLOWFILE CUTFILE [OFFSET]
//                                       fastflow's -c CUTFILE is a minimum cut,
//                                       as large as the flow in FLOWFILE
//   verify dm PROBLEM DMFILE            fastmatch's -d file is the problem's
//                                       Dulmage-Mendelsohn decomposition
//   verify -                            one such command per line of standard input
//
// Prints one line per failed check and exits with 1 when any failed, 2 on a
// usage error or an unreadable file, 0 otherwise.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "decomposition.h"
#include "problem_text.h"
#include "verifier.h"

namespace {

struct Unusable {
  std::string why;
};

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Unusable{"cannot read " + path};
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int64_t number(const std::string& word) {
  size_t used = 0;
  int64_t value = std::stoll(word, &used);
  if (used != word.size()) throw Unusable{"not a number: " + word};
  return value;
}

verifier::Bipartite bipartite(const std::string& path) {
  verifier::Bipartite g;
  if (!verifier::readBipartite(contents(path), g)) throw Unusable{"no matching problem in " + path};
  return g;
}

// matchfile PROBLEM FILE, or cover PROBLEM MATCHFILE COVERFILE.
std::string checkResultFiles(const std::vector<std::string>& words) {
  verifier::Bipartite g;
  verifier::VertexNumbers numbers;
  if (!verifier::readBipartite(contents(words[1]), g, numbers))
    throw Unusable{"no matching problem in " + words[1]};
  std::vector<verifier::Pair> pairs;
  if (!verifier::readMatchingFile(contents(words[2]), numbers, pairs))
    return "not a matching file with its size: " + words[2];
  if (words.size() == 3) return verifier::checkMatching(g, pairs);
  std::vector<int64_t> left, right;
  if (!verifier::readCoverFile(contents(words[3]), numbers, left, right))
    return "not a cover file with its size: " + words[3];
  return verifier::checkCover(g, pairs, left, right);
}

verifier::Network network(const std::string& path, long offset) {
  verifier::Network g;
  if (!verifier::readNetwork(contents(path), offset, g))
    throw Unusable{"no network with source and sink in " + path};
  return g;
}

std::vector<verifier::Pair> flowArcs(const std::string& path, long offset) {
  std::vector<verifier::Pair> arcs;
  if (!verifier::readFlowFile(contents(path), offset, arcs))
    throw Unusable{"not a flow file: " + path};
  return arcs;
}

// The flowfile and cut commands; `words` holds no offset.
std::string checkFlowResult(const std::vector<std::string>& words, long offset) {
  verifier::Network g = network(words[1], offset);
  std::vector<verifier::Pair> arcs = flowArcs(words[2], offset);
  if (words[0] == "flowfile") return verifier::checkFlowArcs(g, arcs);
  std::vector<int64_t> side;
  if (!verifier::readCutFile(contents(words[3]), offset, side))
    throw Unusable{"not a cut file: " + words[3]};
  return verifier::checkCut(g, arcs, side);
}

// dm PROBLEM DMFILE; prints what it proved when the claim holds.
std::string checkDecompositionFile(const std::vector<std::string>& words) {
  verifier::Bipartite g;
  verifier::VertexNumbers numbers;
  if (!verifier::readBipartite(contents(words[1]), g, numbers))
    throw Unusable{"no matching problem in " + words[1]};
  verifier::Decomposition d;
  std::string why, proved;
  if (!verifier::readDecompositionFile(contents(words[2]), numbers, d, why))
    return "not a decomposition file: " + words[2] + ": " + why;
  std::string fault = verifier::checkDecomposition(g, d, proved);
  if (fault.empty())
    std::cout << "ok: dm " << words[1] << ' ' << words[2] << ": " << proved << '\n';
  return fault;
}

// The fault found by one command, empty when its claim holds.
std::string check(const std::vector<std::string>& words) {
  const size_t n = words.size();
  if (n == 3 && words[0] == "matching") {
    verifier::Bipartite g = bipartite(words[1]);
    std::vector<verifier::Pair> pairs;
    if (!verifier::readMatchListing(contents(words[2]), g, pairs))
      return "not a matching listing for this problem: " + words[2];
    return verifier::checkMatching(g, pairs);
  }
  if ((n == 3 && words[0] == "matchfile") || (n == 4 && words[0] == "cover"))
    return checkResultFiles(words);
  if (n == 3 && words[0] == "dm") return checkDecompositionFile(words);
  if (n == 3 && words[0] == "size")
    return verifier::checkMatchingSize(bipartite(words[1]), number(words[2]));
  if ((n == 3 || n == 4) && words[0] == "flow") {
    verifier::Network g;
    if (!verifier::readNetwork(contents(words[1]), n == 4 ? number(words[3]) : 1, g))
      throw Unusable{"no network with source and sink in " + words[1]};
    return verifier::checkFlowValue(g, number(words[2]));
  }
  if ((n == 3 || n == 4) && words[0] == "flowfile")
    return checkFlowResult({words.begin(), words.begin() + 3}, n == 4 ? number(words[3]) : 1);
  if ((n == 4 || n == 5) && words[0] == "cut")
    return checkFlowResult({words.begin(), words.begin() + 4}, n == 5 ? number(words[4]) : 1);
  throw Unusable{
      "usage: verify matching PROBLEM LISTING | size PROBLEM SIZE | "
      "flow PROBLEM VALUE [OFFSET] | matchfile PROBLEM FILE | "
      "cover PROBLEM MATCHFILE COVERFILE | flowfile PROBLEM FILE [OFFSET] | "
      "cut PROBLEM FLOWFILE CUTFILE [OFFSET] | dm PROBLEM DMFILE | -"};
}

// Runs one command; true when its claim holds.
bool run(const std::vector<std::string>& words) {
  std::string fault = check(words);
  if (fault.empty()) return true;
  for (const std::string& w : words) std::cout << w << ' ';
  std::cout << ": " << fault << '\n';
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() != 1 || words[0] != "-") return run(words) ? 0 : 1;
    bool allHold = true;
    for (std::string line; std::getline(std::cin, line);) {
      std::istringstream split(line);
      std::vector<std::string> command{std::istream_iterator<std::string>(split), {}};
      if (!command.empty()) allHold = run(command) && allHold;
    }
    return allHold ? 0 : 1;
  } catch (const Unusable& e) {
    std::cerr << "verify: " << e.why << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "verify: " << e.what() << '\n';
    return 2;
  }
}
