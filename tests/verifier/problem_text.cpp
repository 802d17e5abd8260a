#include "problem_text.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace verifier {

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// The network's arcs as (tail, head) pairs numbered from 0, with the
// source and sink named by its node lines.
Network readNodesAndArcs(const std::vector<std::string>& text, long nodes, long offset) {
  Network g;
  g.nodes = nodes;
  g.source = g.sink = -1;
  for (const std::string& line : text) {
    long x, y;
    char kind;
    if (line[0] == 'n' && std::sscanf(line.c_str(), "%*c %ld %c", &x, &kind) == 2)
      (kind == 's' ? g.source : g.sink) = x - offset;
    if (line[0] == 'a' && std::sscanf(line.c_str(), "%*c %ld %ld", &x, &y) == 2)
      g.arcs.emplace_back(x - offset, y - offset);
  }
  return g;
}

// X nodes are the source's neighbours, Y nodes the sink's; every other arc
// joins an X node and a Y node in either direction.
Bipartite fromMatchingNetwork(const Network& net) {
  std::vector<int64_t> number(net.nodes, 0);
  Bipartite g;
  for (const Pair& a : net.arcs) {
    for (auto [terminal, other] : {a, Pair(a.second, a.first)}) {
      if (terminal == net.source && number[other] == 0) number[other] = -(++g.left);
      if (terminal == net.sink && number[other] == 0) number[other] = ++g.right;
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
  std::vector<std::string> all = lines(text);
  for (const std::string& line : all) {
    char word[21];
    long a, b, c;
    if (line[0] != 'p') continue;
    int fields = std::sscanf(line.c_str(), "%*c %20s %ld %ld %ld", word, &a, &b, &c);
    if (fields == 3 && std::strcmp(word, "max") == 0) {
      g = fromMatchingNetwork(readNodesAndArcs(all, a, 1));
      return true;
    }
    if (fields != 4 || std::strncmp(word, "bipartite", 9) != 0) return false;
    g = Bipartite{a, b, {}};
    for (const std::string& edge : all)
      if (edge[0] == 'a' && std::sscanf(edge.c_str(), "%*c %ld %ld", &a, &b) == 2)
        g.edges.emplace_back(a, b);
    return true;
  }
  return false;
}

bool readNetwork(const std::string& text, long offset, Network& g) {
  std::vector<std::string> all = lines(text);
  for (const std::string& line : all) {
    char word[16];
    long nodes, arcs;
    if (line[0] == 'p' && std::sscanf(line.c_str(), "%*c %15s %ld %ld", word, &nodes, &arcs) == 3) {
      g = readNodesAndArcs(all, nodes, offset);
      return g.source >= 0 && g.sink >= 0;
    }
  }
  return false;
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

}  // namespace verifier
