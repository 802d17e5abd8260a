#include "problem_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string_view>

namespace verifier {

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// Calls visit(line) for every line of `text`, without its '\n'; the large
// problems are read this way, without a copy of each line.
template <class Visit>
void forEachLine(const std::string& text, Visit visit) {
  for (size_t begin = 0; begin < text.size();) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    visit(std::string_view(text).substr(begin, end - begin));
    begin = end + 1;
  }
}

// Up to `count` integers after the line's first character, as
// "%*c %ld %ld ..." reads them; returns how many were read and leaves
// `*end`, when given, just past the last.
int numbers(std::string_view line, long* out, int count, size_t* end = nullptr, size_t i = 1) {
  int read = 0;
  for (; read < count; ++read) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    bool negative = i < line.size() && line[i] == '-';
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
    if (i == line.size() || !std::isdigit(static_cast<unsigned char>(line[i]))) break;
    long value = 0;
    for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
      value = value * 10 + (line[i] - '0');
    out[read] = negative ? -value : value;
    if (end != nullptr) *end = i;
  }
  return read;
}

// The lines of `text` that begin with 'p'.
std::vector<std::string> problemLines(const std::string& text) {
  std::vector<std::string> found;
  forEachLine(text, [&](std::string_view line) {
    if (!line.empty() && line[0] == 'p') found.emplace_back(line);
  });
  return found;
}

// The network's arcs as (tail, head) pairs numbered from 0, with the
// source and sink named by its node lines.
// `arcs` is the problem line's count, a hint only: a file may hold fewer or
// more, and no arc line is shorter than four bytes.
Network readNodesAndArcs(const std::string& text, long nodes, long arcs, long offset) {
  Network g;
  g.nodes = nodes;
  g.source = g.sink = -1;
  g.arcs.reserve(size_t(std::clamp(arcs, 0L, long(text.size() / 4))));
  forEachLine(text, [&](std::string_view line) {
    long x[2];
    if (line.empty()) return;
    size_t end = 0;
    if (line[0] == 'n' && numbers(line, x, 1, &end) == 1) {
      // "%*c %ld %c": the kind is the first non-blank after the number.
      while (end < line.size() && std::isspace(static_cast<unsigned char>(line[end]))) ++end;
      if (end < line.size()) (line[end] == 's' ? g.source : g.sink) = x[0] - offset;
    }
    if (line[0] == 'a' && numbers(line, x, 2) == 2)
      g.arcs.emplace_back(x[0] - offset, x[1] - offset);
  });
  return g;
}

// X nodes are the source's neighbours, Y nodes the sink's; every other arc
// joins an X node and a Y node in either direction.
Bipartite fromMatchingNetwork(const Network& net, VertexNumbers& names) {
  std::vector<int64_t> number(net.nodes, 0);
  Bipartite g;
  for (const Pair& a : net.arcs) {
    for (auto [terminal, other] : {a, Pair(a.second, a.first)}) {
      if (terminal == net.source && number[other] == 0) {
        number[other] = -(++g.left);
        names.left.push_back(other + 1);
      }
      if (terminal == net.sink && number[other] == 0) {
        number[other] = ++g.right;
        names.right.push_back(other + 1);
      }
    }
  }
  for (const Pair& a : net.arcs) {
    int64_t p = number[a.first], q = number[a.second];
    if (p < 0 && q > 0) g.edges.emplace_back(-p, q);
    if (q < 0 && p > 0) g.edges.emplace_back(-q, p);
  }
  return g;
}

}  // namespace

bool readBipartite(const std::string& text, Bipartite& g) {
  VertexNumbers unused;
  return readBipartite(text, g, unused);
}

bool readBipartite(const std::string& text, Bipartite& g, VertexNumbers& names) {
  names = {};
  for (const std::string& line : problemLines(text)) {
    char word[21];
    long a, b, c;
    if (line[0] != 'p') continue;
    int fields = std::sscanf(line.c_str(), "%*c %20s %ld %ld %ld", word, &a, &b, &c);
    if (fields == 3 && std::strcmp(word, "max") == 0) {
      g = fromMatchingNetwork(readNodesAndArcs(text, a, b, 1), names);
      return true;
    }
    if (fields != 4 || std::strncmp(word, "bipartite", 9) != 0) return false;
    g = Bipartite{a, b, {}};
    g.edges.reserve(size_t(std::clamp(c, 0L, long(text.size() / 4))));
    for (int64_t u = 1; u <= a; ++u) names.left.push_back(u);
    for (int64_t v = 1; v <= b; ++v) names.right.push_back(v);
    forEachLine(text, [&](std::string_view edge) {
      long x[2];
      if (!edge.empty() && edge[0] == 'a' && numbers(edge, x, 2) == 2)
        g.edges.emplace_back(x[0], x[1]);
    });
    return true;
  }
  return false;
}

bool readNetwork(const std::string& text, long offset, Network& g) {
  for (const std::string& line : problemLines(text)) {
    char word[16];
    long nodes, arcs;
    if (line[0] == 'p' && std::sscanf(line.c_str(), "%*c %15s %ld %ld", word, &nodes, &arcs) == 3) {
      g = readNodesAndArcs(text, nodes, arcs, offset);
      return g.source >= 0 && g.sink >= 0;
    }
  }
  return false;
}

namespace {

// The lines of a result file other than comments and blank lines, each
// holding exactly `count` integers, numbered from `offset`.
bool resultLines(const std::string& text, long offset, int count, std::vector<int64_t>& values) {
  bool wellFormed = true;
  forEachLine(text, [&](std::string_view line) {
    size_t end = 0;
    long x[2];
    if (line.empty() || line[0] == 'c' || !wellFormed) return;
    if (numbers(line, x, count, &end, 0) != count ||
        line.find_first_not_of(" \t\r", end) != std::string_view::npos) {
      wellFormed = false;
      return;
    }
    for (int k = 0; k < count; ++k) values.push_back(x[k] - offset);
  });
  return wellFormed;
}

}  // namespace

bool readFlowFile(const std::string& text, long offset, std::vector<Pair>& arcs) {
  std::vector<int64_t> ends;
  if (!resultLines(text, offset, 2, ends)) return false;
  arcs.clear();
  for (size_t k = 0; k < ends.size(); k += 2) arcs.emplace_back(ends[k], ends[k + 1]);
  return true;
}

bool readCutFile(const std::string& text, long offset, std::vector<int64_t>& side) {
  side.clear();
  return resultLines(text, offset, 1, side);
}

bool readMatchListing(const std::string& text, const Bipartite& g, std::vector<Pair>& pairs) {
  std::vector<std::string> all = lines(text);
  long u, v, e;
  if (all.size() < 2 || !all[1].empty() ||
      std::sscanf(all[0].c_str(), "Bipartite Matching; Results for |U|=%ld, |V|=%ld, |E|=%ld", &u,
                  &v, &e) != 3 ||
      u != g.left || v != g.right)
    return false;
  pairs.clear();
  for (size_t i = 2; i < all.size(); ++i) {
    if (std::sscanf(all[i].c_str(), "%ld matched to %ld", &u, &v) != 2) return false;
    pairs.emplace_back(u, v);
  }
  return true;
}

namespace {

// File number -> g's number (0 when no vertex of the side has it), as a
// table indexed by the file number: the numbers are the problem's node
// numbers, so the table is no longer than the problem has nodes.
std::vector<int64_t> inverse(const std::vector<int64_t>& numbers) {
  int64_t largest = 0;
  for (int64_t number : numbers) largest = std::max(largest, number);
  std::vector<int64_t> g_number(size_t(largest) + 1, 0);
  for (size_t i = 0; i < numbers.size(); ++i)
    if (numbers[i] >= 0) g_number[size_t(numbers[i])] = int64_t(i) + 1;
  return g_number;
}

int64_t lookUp(const std::vector<int64_t>& g_number, long file_number) {
  return file_number >= 0 && size_t(file_number) < g_number.size() ? g_number[size_t(file_number)]
                                                                   : 0;
}

// The lines of a result file after its comments; `size` gets the number of
// a "c size K" comment, or -1.
std::vector<std::string> resultLines(const std::string& text, long& size) {
  std::vector<std::string> body;
  size = -1;
  for (const std::string& line : lines(text)) {
    if (line.rfind("c ", 0) == 0)
      std::sscanf(line.c_str(), "c size %ld", &size);
    else if (!line.empty())
      body.push_back(line);
  }
  return body;
}

}  // namespace

bool readMatchingFile(const std::string& text, const VertexNumbers& numbers,
                      std::vector<Pair>& pairs) {
  auto left = inverse(numbers.left), right = inverse(numbers.right);
  long size;
  pairs.clear();
  for (const std::string& line : resultLines(text, size)) {
    long u, v;
    char rest;
    if (std::sscanf(line.c_str(), "%ld %ld %c", &u, &v, &rest) != 2) return false;
    pairs.emplace_back(lookUp(left, u), lookUp(right, v));
  }
  return size == static_cast<long>(pairs.size());
}

bool readCoverFile(const std::string& text, const VertexNumbers& numbers,
                   std::vector<int64_t>& left, std::vector<int64_t>& right) {
  auto leftNumber = inverse(numbers.left), rightNumber = inverse(numbers.right);
  long size;
  left.clear();
  right.clear();
  for (const std::string& line : resultLines(text, size)) {
    long side, vertex;
    char rest;
    if (std::sscanf(line.c_str(), "%ld %ld %c", &side, &vertex, &rest) != 2) return false;
    if (side == 1)
      left.push_back(lookUp(leftNumber, vertex));
    else if (side == 2)
      right.push_back(lookUp(rightNumber, vertex));
    else
      return false;
  }
  return size == static_cast<long>(left.size() + right.size());
}

}  // namespace verifier
