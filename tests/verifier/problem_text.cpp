#include "problem_text.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace verifier {

namespace {

// The solvers' limit on every count of a problem line.
constexpr int64_t kLargestCount = INT32_MAX;

// The matching programs read the problem word as "%20s" does: a longer
// word is cut, and its rest read as the first count.
constexpr size_t kProblemWordLength = 20;

// A problem as its lines give it. A network's node numbers are made
// indices from 0; a bipartite problem keeps its vertex numbers.
struct Problem {
  bool network = false;
  bool keepsCapacities = false;   // a "max" network read for its flow
  int64_t first = 0, second = 0;  // N1 and N2, or N and 0
  int64_t declaredArcs = 0;
  int64_t source = -1, sink = -1;
  std::vector<Pair> arcs;
  std::vector<int64_t> capacities;  // of each arc, when kept
};

// "p WORD COUNTS...", checked and with the memory it needs afforded.
void readProblemLine(const TextFile& file, Line& line, Problem& p) {
  line.SkipKind();
  std::string word(line.Word(kProblemWordLength));
  if (word.rfind("bipartite", 0) == 0) {
    p.first = line.Number("first-side size", 0, kLargestCount);
    p.second = line.Number("second-side size", 0, kLargestCount);
  } else if (word == "max" || word == "unit-flow") {
    p.network = true;
    p.keepsCapacities = p.keepsCapacities && word == "max";
    p.first = line.Number("number of nodes", 1, kLargestCount);
  } else {
    line.Fault("problem '" + word + "' is neither bipartite-matching, max nor unit-flow");
  }
  p.declaredArcs = line.Number("number of arcs", 0, kLargestCount);
  // No arc line is shorter than four bytes: a count beyond that is a hint
  // the text cannot keep.
  int64_t arcs = std::min<int64_t>(p.declaredArcs, int64_t(file.size() / 4));
  file.CheckAffordable(p.first + p.second, arcs);
  p.arcs.reserve(size_t(arcs));
  if (p.keepsCapacities) p.capacities.reserve(size_t(arcs));
}

void readNodeLine(Line& line, Problem& p, int64_t offset) {
  if (!p.network) line.Fault("node line in a bipartite problem");
  line.SkipKind();
  int64_t node = line.Number("node", offset, offset + p.first - 1) - offset;
  char kind = line.Letter();
  if (kind != 's' && kind != 't') line.Fault("node kind is neither s nor t");
  int64_t& terminal = kind == 's' ? p.source : p.sink;
  if (terminal >= 0) line.Fault(kind == 's' ? "a second source" : "a second sink");
  terminal = node;
}

void readArcLine(Line& line, Problem& p, int64_t offset) {
  if (int64_t(p.arcs.size()) == p.declaredArcs)
    line.Fault("more arc lines than the problem line's " + std::to_string(p.declaredArcs));
  line.SkipKind();
  if (p.network) {
    int64_t last = offset + p.first - 1;
    int64_t tail = line.Number("arc tail", offset, last) - offset;
    p.arcs.emplace_back(tail, line.Number("arc head", offset, last) - offset);
    if (p.keepsCapacities)
      p.capacities.push_back(line.AtEnd() ? 1 : line.WholeNumber("capacity", 0, kLargestCapacity));
  } else {
    int64_t u = line.Number("first-side vertex", 1, p.first);
    p.arcs.emplace_back(u, line.Number("second-side vertex", 1, p.second));
  }
}

Problem readProblem(const TextFile& file, int64_t offset, bool keepsCapacities) {
  Problem p;
  p.keepsCapacities = keepsCapacities;
  bool seen = false;  // the problem line
  file.ForEachLine([&](int64_t number, std::string_view text) {
    Line line(file, number, text, Line::Reading::kLenient);
    char kind = line.kind();
    if (kind == '\0' || kind == 'c' || kind == 't') return;
    if (kind != 'p' && kind != 'n' && kind != 'a') line.Fault("unknown line type");
    if (kind == 'p' && seen) line.Fault("a second problem line");
    if (kind != 'p' && !seen) line.Fault("a line before the problem line");
    if (kind == 'p') readProblemLine(file, line, p);
    if (kind == 'n') readNodeLine(line, p, offset);
    if (kind == 'a') readArcLine(line, p, offset);
    seen = true;  // a line of another kind faulted before the problem line
  });
  if (!seen) file.Fault("no problem line");
  if (int64_t(p.arcs.size()) != p.declaredArcs)
    file.Fault("the problem line declares " + std::to_string(p.declaredArcs) +
               " arcs, the file has " + std::to_string(p.arcs.size()));
  if (p.network && p.source < 0) file.Fault("no source ('n K s' line)");
  if (p.network && p.sink < 0) file.Fault("no sink ('n K t' line)");
  return p;
}

// A network of the matching shape as the matching programs accept it: the
// source and the sink differ; each node adjacent to the source is joined to
// it by exactly one arc (the X nodes), each node adjacent to the sink
// likewise (the Y nodes); no node is both; every other arc joins an X node
// and a Y node, in either direction.
Bipartite fromMatchingNetwork(const TextFile& file, const Problem& p, VertexNumbers& numbers) {
  auto refuse = [&](const std::string& why) {
    file.Fault("not a bipartite matching network: " + why);
  };
  if (p.source == p.sink) refuse("the source is the sink");
  std::vector<int64_t> number(size_t(p.first), 0);  // -k: X node k, +k: Y node k
  Bipartite g;
  auto claim = [&](int64_t terminal, int64_t& count, std::vector<int64_t>& names, int sign) {
    for (const Pair& a : p.arcs) {
      if (a.first != terminal && a.second != terminal) continue;
      int64_t other = a.first == terminal ? a.second : a.first;
      if (other == p.source || other == p.sink) refuse("an arc joins the source or the sink");
      if (number[size_t(other)] != 0)
        refuse("node " + std::to_string(other + 1) +
               " is joined to the source or the sink more than once");
      number[size_t(other)] = sign * ++count;
      names.push_back(other + 1);
    }
  };
  claim(p.source, g.left, numbers.left, -1);
  claim(p.sink, g.right, numbers.right, 1);
  for (const Pair& a : p.arcs) {
    if (a.first == p.source || a.first == p.sink || a.second == p.source || a.second == p.sink)
      continue;
    int64_t u = number[size_t(a.first)], v = number[size_t(a.second)];
    if (u == 0 || v == 0 || (u < 0) == (v < 0))
      refuse("arc " + std::to_string(a.first + 1) + " " + std::to_string(a.second + 1) +
             " does not join an X node and a Y node");
    g.edges.emplace_back(u < 0 ? Pair(-u, v) : Pair(-v, u));
  }
  return g;
}

}  // namespace

Bipartite readBipartite(const TextFile& file, VertexNumbers* numbers) {
  Problem p = readProblem(file, 1, false);
  VertexNumbers own;
  VertexNumbers& names = numbers != nullptr ? *numbers : own;
  names = {};
  if (p.network) return fromMatchingNetwork(file, p, names);
  for (int64_t u = 1; u <= p.first; ++u) names.left.push_back(u);
  for (int64_t v = 1; v <= p.second; ++v) names.right.push_back(v);
  return Bipartite{p.first, p.second, std::move(p.arcs)};
}

Network readNetwork(const TextFile& file, int64_t offset, Capacities capacities) {
  Problem p = readProblem(file, offset, capacities == Capacities::kRead);
  if (!p.network) file.Fault("a bipartite problem, not a network");
  return Network{p.first, p.source, p.sink, std::move(p.arcs), std::move(p.capacities)};
}

std::vector<Pair> readMatchListing(const TextFile& file, const Bipartite& g) {
  std::vector<Pair> pairs;
  int64_t lines = 0;
  file.ForEachLine([&](int64_t number, std::string_view text) {
    lines = number;
    Line line(file, number, text, number == 1 ? Line::Reading::kLenient : Line::Reading::kStrict);
    if (number == 1) {
      if (!line.Skip("Bipartite Matching; Results for |U|=")) line.Fault("not match's heading");
      line.Number("|U|", g.left, g.left);
      if (!line.Skip(", |V|=")) line.Fault("not match's heading");
      line.Number("|V|", g.right, g.right);
    } else if (number == 2) {
      if (!text.empty()) line.Fault("not the empty line after match's heading");
    } else {
      int64_t u = line.Number("first-side vertex", 1, g.left);
      if (!line.Skip("matched to")) line.Fault("not a line 'U matched to V'");
      pairs.emplace_back(u, line.Number("second-side vertex", 1, g.right));
      line.End();
    }
  });
  if (lines < 2) file.Fault("not match's listing: no heading and empty line");
  return pairs;
}

}  // namespace verifier
