#include "fileio/edge_list.h"

#include <algorithm>
#include <string>

#include "fileio/double_sweep.h"
#include "fileio/fields.h"
#include "fileio/input_error.h"

namespace fileio {

namespace {

struct Pairs {
  std::vector<Edge> edges;  // ids as in the file
  std::uint64_t largest = 0;
  long firstZeroLine = 0;  // the first line with an id 0; 0 when there is none
};

Pairs readPairs(Source& source) {
  Pairs pairs;
  std::string_view line;
  while (source.nextLine(line)) {
    const std::size_t start = line.find_first_not_of(" \t\r\v\f");
    if (start == std::string_view::npos || line[start] == '#' || line[start] == '%') continue;
    Fields fields(line);
    std::uint64_t tail, head;
    if (!fields.number(tail, kLargestNumber) || !fields.number(head, kLargestNumber)) {
      throw InputError(
          source.lineNumber(),
          "expected two vertex ids, whole numbers from 0 to " + std::to_string(kLargestNumber),
          line);
    }
    if ((tail == 0 || head == 0) && pairs.firstZeroLine == 0) {
      pairs.firstZeroLine = source.lineNumber();
    }
    pairs.largest = std::max({pairs.largest, tail, head});
    pairs.edges.push_back({static_cast<std::uint32_t>(tail), static_cast<std::uint32_t>(head)});
  }
  return pairs;
}

// Settles the numbering of the file and makes the ids 0-based.
int rebase(Pairs& pairs, const EdgeListOptions& options, Problem& problem) {
  int base = pairs.firstZeroLine != 0 ? 0 : 1;
  if (options.base) {
    if (*options.base == 1 && pairs.firstZeroLine != 0) {
      throw InputError(pairs.firstZeroLine, "vertex id 0 in a list read as 1-based (--base 1)");
    }
    base = *options.base;
    problem.notes.push_back("vertex ids count from " + std::to_string(base) + " (--base)");
  } else {
    problem.notes.push_back(base == 0 ? "vertex ids count from 0 (detected: line " +
                                            std::to_string(pairs.firstZeroLine) + " has an id 0)"
                                      : "vertex ids count from 1 (detected: no id is 0)");
    problem.messages.push_back(problem.notes.back());
  }
  if (base == 1) {
    for (Edge& e : pairs.edges) e = {e.tail - 1, e.head - 1};
  }
  return base;
}

// Appends the reverse of every edge but a self-loop.
void addReverses(std::vector<Edge>& edges) {
  const std::size_t count = edges.size();
  for (std::size_t k = 0; k < count; ++k) {
    if (edges[k].tail != edges[k].head) edges.push_back({edges[k].head, edges[k].tail});
  }
}

void makeBipartite(const EdgeListOptions& options, std::uint64_t vertices, Problem& problem) {
  if (options.undirected) {
    problem.left = problem.right = vertices;
    problem.notes.push_back("bipartite: every vertex on both sides, each pair in both directions");
    return;
  }
  for (const Edge& e : problem.edges) {
    problem.left = std::max<std::uint64_t>(problem.left, e.tail + 1);
    problem.right = std::max<std::uint64_t>(problem.right, e.head + 1);
  }
  problem.notes.push_back("bipartite: tails are the first side, heads the second");
}

std::uint64_t terminal(std::uint64_t id, int base, std::uint64_t vertices, const char* what) {
  if (id < static_cast<std::uint64_t>(base) || id - base >= vertices) {
    throw InputError(
        0, std::string("the ") + what + " " + std::to_string(id) + " is not a vertex of the list");
  }
  return id - base;
}

void joinSuperTerminals(const EdgeListOptions& options, std::uint64_t vertices, Problem& problem) {
  const Sweep sweep = doubleSweep(vertices, problem.edges, options.superTerminals);
  problem.nodes = vertices + 2;
  problem.source = vertices;
  problem.sink = vertices + 1;
  for (const std::uint32_t v : sweep.nearStart) {
    problem.edges.push_back({static_cast<std::uint32_t>(problem.source), v});
  }
  for (const std::uint32_t v : sweep.nearEnd) {
    problem.edges.push_back({v, static_cast<std::uint32_t>(problem.sink)});
  }
  problem.notes.push_back("super-source " + std::to_string(problem.source + 1) + " joined to the " +
                          std::to_string(sweep.nearStart.size()) + " vertices nearest node " +
                          std::to_string(sweep.start + 1));
  problem.notes.push_back("super-sink " + std::to_string(problem.sink + 1) + " joined from the " +
                          std::to_string(sweep.nearEnd.size()) + " vertices nearest node " +
                          std::to_string(sweep.end + 1) + ", at distance " +
                          std::to_string(sweep.distance) + " (double sweep, edges undirected)");
}

void makeNetwork(const EdgeListOptions& options, int base, std::uint64_t vertices,
                 Problem& problem) {
  problem.isNetwork = true;
  problem.notes.push_back("network: vertex v of the list is node v" +
                          std::string(base == 0 ? " + 1" : "") + ", every arc of capacity 1" +
                          (options.undirected ? ", each pair in both directions" : ""));
  if (options.superTerminals > 0) return joinSuperTerminals(options, vertices, problem);
  problem.nodes = vertices;
  problem.source = terminal(*options.source, base, vertices, "source");
  problem.sink = terminal(*options.sink, base, vertices, "sink");
  if (problem.source == problem.sink) throw InputError(0, "the source and the sink are one vertex");
}

}  // namespace

Problem convertEdgeList(Source& source, const EdgeListOptions& options) {
  Pairs pairs = readPairs(source);
  if (pairs.edges.empty()) throw InputError(source.lineNumber(), "the list has no edges");
  Problem problem;
  const int base = rebase(pairs, options, problem);
  const std::uint64_t vertices = pairs.largest + 1 - base;
  problem.edges = std::move(pairs.edges);
  if (options.undirected) addReverses(problem.edges);
  if (options.flow) {
    makeNetwork(options, base, vertices, problem);
  } else {
    makeBipartite(options, vertices, problem);
  }
  return problem;
}

}  // namespace fileio
