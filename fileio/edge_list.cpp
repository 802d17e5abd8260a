#include "fileio/edge_list.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

#include "fileio/double_sweep.h"
#include "fileio/fields.h"
#include "fileio/input_error.h"

namespace fileio {

namespace {

struct Pairs {
  std::vector<Edge> edges;  // ids as in the file, or as the names were numbered from 0
  std::uint64_t largest = 0;
  long firstZeroLine = 0;  // the first line with an id 0; 0 when there is none
};

// The next line that is neither blank nor a comment; false at the end.
bool nextPairLine(Source& source, std::string_view& line) {
  while (source.nextLine(line)) {
    const std::size_t start = line.find_first_not_of(" \t\r\v\f");
    if (start != std::string_view::npos && line[start] != '#' && line[start] != '%') return true;
  }
  return false;
}

Pairs readNumberPairs(Source& source) {
  Pairs pairs;
  std::string_view line;
  while (nextPairLine(source, line)) {
    Fields fields(line);
    std::uint64_t tail, head;
    if (!fields.number(tail, kLargestNumber) || !fields.number(head, kLargestNumber)) {
      throw InputError(source.lineNumber(),
                       "expected two vertex ids, whole numbers from 0 to " +
                           std::to_string(kLargestNumber) + " (--names reads names)",
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

// Names numbered from 0 in order of first appearance.
class NameTable {
 public:
  // The number of `name`, given it now if it has none; -1 when the table is full.
  std::int64_t add(std::string_view name) {
    const auto [at, added] = ids_.try_emplace(std::string(name), ids_.size());
    if (added && ids_.size() > kLargestNumber) return -1;
    return at->second;
  }
  std::optional<std::uint32_t> find(const std::string& name) const {
    const auto at = ids_.find(name);
    return at == ids_.end() ? std::nullopt : std::optional<std::uint32_t>(at->second);
  }
  std::vector<std::string> names() const {
    std::vector<std::string> list(ids_.size());
    for (const auto& [name, id] : ids_) list[id] = name;
    return list;
  }

 private:
  std::unordered_map<std::string, std::uint32_t> ids_;
};

// A list of named vertices: tails and heads numbered in one table, or, for
// a bipartite problem, each side in its own.
Pairs readNamePairs(Source& source, NameTable& tails, NameTable& heads) {
  Pairs pairs;
  std::string_view line;
  while (nextPairLine(source, line)) {
    Fields fields(line);
    const std::string_view tailName = fields.word(), headName = fields.word();
    if (headName.empty()) throw InputError(source.lineNumber(), "expected two vertex names", line);
    const std::int64_t tail = tails.add(tailName), head = heads.add(headName);
    if (tail < 0 || head < 0) {
      throw InputError(source.lineNumber(),
                       "more than " + std::to_string(kLargestNumber) + " vertex names", line);
    }
    pairs.largest = std::max({pairs.largest, std::uint64_t(tail), std::uint64_t(head)});
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

// How a vertex of the list maps to one of the problem: "vertex v of the
// list is WHAT v + 1 WHERE"; `named` says it for a list of names.
std::string mapping(const Problem& problem, const std::string& what, const std::string& where,
                    const std::string& named) {
  if (!problem.names.empty()) return named;
  return "vertex v of the list is " + what + " v" + (problem.base == 0 ? " + 1" : "") + where;
}

void makeBipartite(const EdgeListOptions& options, std::uint64_t vertices, Problem& problem) {
  if (options.undirected) {
    problem.left = problem.right = vertices;
    problem.notes.push_back(
        "bipartite: every vertex on both sides, each pair in both directions; " +
        mapping(problem, "vertex", " of each side",
                "vertices numbered from 1 in order of first appearance, "
                "alike on both sides"));
    return;
  }
  for (const Edge& e : problem.edges) {
    problem.left = std::max<std::uint64_t>(problem.left, e.tail + 1);
    problem.right = std::max<std::uint64_t>(problem.right, e.head + 1);
  }
  problem.notes.push_back("bipartite: tails are the first side, heads the second; " +
                          mapping(problem, "vertex", " of its side",
                                  "each side numbered from 1 in order of first appearance"));
}

// A terminal as given, found among the vertices of the list.
std::uint64_t terminal(const std::string& given, const NameTable* names, std::uint64_t vertices,
                       const char* what, int base) {
  const std::string missing =
      std::string("the ") + what + " " + given + " is not a vertex of the list";
  if (names != nullptr) {
    const std::optional<std::uint32_t> id = names->find(given);
    if (!id) throw InputError(0, missing);
    return *id;
  }
  std::uint64_t id = 0;
  Fields fields(given);
  if (!fields.number(id, UINT64_MAX) || !fields.atEnd() || id < std::uint64_t(base) ||
      id - base >= vertices) {
    throw InputError(0, missing);
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

void makeNetwork(const EdgeListOptions& options, const NameTable* names, std::uint64_t vertices,
                 Problem& problem) {
  problem.isNetwork = true;
  problem.notes.push_back(
      "network: " +
      mapping(problem, "node", "", "nodes numbered from 1 in order of first appearance") +
      ", every arc of capacity 1" + (options.undirected ? ", each pair in both directions" : ""));
  if (options.superTerminals > 0) return joinSuperTerminals(options, vertices, problem);
  if (!options.source || !options.sink) {
    throw InputError(0, "a network from an edge list needs --source S --sink T, or --super K");
  }
  problem.nodes = vertices;
  problem.source = terminal(*options.source, names, vertices, "source", problem.base);
  problem.sink = terminal(*options.sink, names, vertices, "sink", problem.base);
  if (problem.source == problem.sink) throw InputError(0, "the source and the sink are one vertex");
}

// Names in one table for a network or an undirected list, two for a
// bipartite problem's sides.
Pairs readNames(Source& source, const EdgeListOptions& options, Problem& problem, NameTable& tails,
                NameTable& heads) {
  const bool oneTable = options.flow || options.undirected;
  Pairs pairs = readNamePairs(source, tails, oneTable ? tails : heads);
  problem.names.network = options.flow;
  problem.names.first = tails.names();
  if (!oneTable) problem.names.second = heads.names();
  if (options.undirected && !options.flow) problem.names.second = problem.names.first;
  return pairs;
}

}  // namespace

Problem convertEdgeList(Source& source, const EdgeListOptions& options) {
  if (options.names && options.base) throw InputError(0, "--base and --names exclude each other");
  Problem problem;
  NameTable tails, heads;
  Pairs pairs =
      options.names ? readNames(source, options, problem, tails, heads) : readNumberPairs(source);
  if (pairs.edges.empty()) throw InputError(source.lineNumber(), "the list has no edges");
  problem.base = options.names ? 1 : rebase(pairs, options, problem);
  const std::uint64_t vertices = pairs.largest + 1 - (options.names ? 0 : problem.base);
  problem.edges = std::move(pairs.edges);
  if (options.undirected) addReverses(problem.edges);
  if (options.flow) {
    makeNetwork(options, options.names ? &tails : nullptr, vertices, problem);
  } else {
    makeBipartite(options, vertices, problem);
  }
  return problem;
}

}  // namespace fileio
