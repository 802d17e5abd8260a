#include "peer_problem.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void reject(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  std::exit(1);
}

std::string readAll(std::FILE* in) {
  std::string text;
  std::vector<char> chunk(1 << 20);
  std::size_t got;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) text.append(chunk.data(), got);
  if (std::ferror(in)) reject("cannot read the problem");
  return text;
}

// Reads up to `wanted` integers starting at p; returns how many.
int numbers(const char* p, const char* end, long* out, int wanted) {
  int count = 0;
  while (count < wanted) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p == end || !(std::isdigit(static_cast<unsigned char>(*p)) || *p == '-')) break;
    char* stop = nullptr;
    out[count++] = std::strtol(p, &stop, 10);
    p = stop;
  }
  return count;
}

void checkNode(long k, long limit) {
  if (k < 1 || k > limit) reject("node number out of range: " + std::to_string(k));
}

struct Reader {
  PeerProblem problem;
  bool seenProblem = false;
  bool unit = false;  // a "unit-flow" network: every arc is one unit

  void problemLine(const char* line, const char* end) {
    const char* start = line + 1;
    while (start < end && (*start == ' ' || *start == '\t')) ++start;
    const char* stop = start;
    while (stop < end && *stop != ' ' && *stop != '\t') ++stop;
    const std::string word(start, stop);
    long n[3];
    const int count = numbers(stop, end, n, 3);
    problem.isBipartite = word.compare(0, 9, "bipartite") == 0;
    if (problem.isBipartite && count == 3 && n[0] >= 0 && n[1] >= 0) {
      problem.bipartite.left = static_cast<int>(n[0]);
      problem.bipartite.right = static_cast<int>(n[1]);
      problem.bipartite.edges.reserve(n[2] > 0 ? n[2] : 0);
    } else if ((word == "max" || word == "unit-flow") && count == 2 && n[0] >= 1) {
      problem.network.nodes = static_cast<int>(n[0]);
      problem.network.arcs.reserve(n[1] > 0 ? n[1] : 0);
      problem.network.capacities.reserve(n[1] > 0 ? n[1] : 0);
      unit = word == "unit-flow";
    } else {
      reject("bad problem line");
    }
    seenProblem = true;
  }

  void nodeLine(const char* line, const char* end) {
    long k;
    if (!seenProblem || problem.isBipartite || numbers(line + 1, end, &k, 1) != 1) {
      reject("bad node line");
    }
    checkNode(k, problem.network.nodes);
    const char* kind = line + 1;
    while (kind < end && !std::isalpha(static_cast<unsigned char>(*kind))) ++kind;
    if (kind == end || (*kind != 's' && *kind != 't')) reject("bad node line");
    int& terminal = *kind == 's' ? problem.network.source : problem.network.sink;
    terminal = static_cast<int>(k - 1);
  }

  void arcLine(const char* line, const char* end) {
    long n[3];
    if (!seenProblem) reject("arc line before the problem line");
    const int count = numbers(line + 1, end, n, 3);
    if (problem.isBipartite) {
      if (count != 2) reject("bad arc line");
      checkNode(n[0], problem.bipartite.left);
      checkNode(n[1], problem.bipartite.right);
      problem.bipartite.edges.emplace_back(n[0] - 1, n[1] - 1);
    } else {
      if (count != 3) reject("bad arc line");
      checkNode(n[0], problem.network.nodes);
      checkNode(n[1], problem.network.nodes);
      if (n[2] < 0) reject("negative capacity: " + std::to_string(n[2]));
      problem.network.arcs.emplace_back(n[0] - 1, n[1] - 1);
      problem.network.capacities.push_back(unit ? 1 : n[2]);
    }
  }

  void line(const char* p, const char* end) {
    if (p == end || *p == 'c' || *p == 't') return;
    if (*p == 'p') return problemLine(p, end);
    if (*p == 'n') return nodeLine(p, end);
    if (*p == 'a') return arcLine(p, end);
    reject("unknown line type");
  }
};

[[noreturn]] void notMatchingShape() {
  std::fputs("not a bipartite matching network", stdout);
  std::exit(1);
}

// side[v]: 0 unassigned, 1 first side, 2 second side; index[v]: the node's
// number on its side.
Bipartite matchingShape(const Network& network) {
  std::vector<int> side(network.nodes, 0), index(network.nodes, -1);
  Bipartite graph;
  for (long capacity : network.capacities)
    if (capacity != 1) notMatchingShape();
  for (const Pair& arc : network.arcs) {
    const bool out = arc.first == network.source, in = arc.second == network.sink;
    if (out && in) notMatchingShape();
    const int v = out ? arc.second : arc.first;
    if (!(out || in)) continue;
    if (side[v] != 0 || v == network.source || v == network.sink) notMatchingShape();
    side[v] = out ? 1 : 2;
    index[v] = out ? graph.left++ : graph.right++;
  }
  for (const Pair& arc : network.arcs) {
    if (arc.first == network.source || arc.second == network.sink) continue;
    const int a = side[arc.first], b = side[arc.second];
    if (a == 0 || b == 0 || a == b) notMatchingShape();
    const Pair ends = a == 1 ? arc : Pair(arc.second, arc.first);
    graph.edges.emplace_back(index[ends.first], index[ends.second]);
  }
  return graph;
}

}  // namespace

PeerProblem readProblem(std::FILE* in) {
  const std::string text = readAll(in);
  Reader reader;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* stop = static_cast<const char*>(std::memchr(p, '\n', end - p));
    if (stop == nullptr) stop = end;
    reader.line(p, stop);
    p = stop + 1;
  }
  if (!reader.seenProblem) reject("no problem line");
  const Network& network = reader.problem.network;
  if (!reader.problem.isBipartite && (network.source < 0 || network.sink < 0)) {
    reject("no source or sink");
  }
  return reader.problem;
}

Bipartite matchingOf(const PeerProblem& problem) {
  return problem.isBipartite ? problem.bipartite : matchingShape(problem.network);
}

Network networkOf(const PeerProblem& problem) {
  if (!problem.isBipartite) return problem.network;
  const Bipartite& graph = problem.bipartite;
  Network network;
  network.nodes = graph.left + graph.right + 2;
  network.source = network.nodes - 2;
  network.sink = network.nodes - 1;
  network.arcs.reserve(graph.left + graph.right + graph.edges.size());
  for (int x = 0; x < graph.left; ++x) network.arcs.emplace_back(network.source, x);
  for (const Pair& e : graph.edges) network.arcs.emplace_back(e.first, graph.left + e.second);
  for (int y = 0; y < graph.right; ++y) network.arcs.emplace_back(graph.left + y, network.sink);
  network.capacities.assign(network.arcs.size(), 1);
  return network;
}
