#include "bipartite_families.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "matrix_families.h"

namespace {

// Edges are drawn independently, so a pair may repeat.
Bipartite uniform(const Parameters& p, Random& random) {
  Bipartite g{p.count("left"), p.count("right"), {}};
  const std::size_t m = checkedSize(g.left + g.right, std::round(g.left * p.real("degree")));
  g.edges.reserve(m);
  for (std::size_t i = 0; i < m; ++i) {
    g.edges.push_back({uniformIn(random, g.left), uniformIn(random, g.right)});
  }
  return g;
}

// Draws vertex k of 1 … size with probability proportional to 1 / k^exponent.
class Zipf {
 public:
  Zipf(int size, double exponent) : cumulative_(size) {
    for (int k = 0; k < size; ++k) {
      total_ += std::pow(k + 1.0, -exponent);
      cumulative_[k] = total_;
    }
  }

  int draw(Random& random) const {
    const auto at =
        std::upper_bound(cumulative_.begin(), cumulative_.end(), random.unit() * total_);
    const std::ptrdiff_t last = static_cast<std::ptrdiff_t>(cumulative_.size()) - 1;
    return static_cast<int>(std::min(at - cumulative_.begin(), last)) + 1;
  }

 private:
  std::vector<double> cumulative_;
  double total_ = 0;
};

// The second endpoint is second-side vertex k with probability proportional
// to 1 / k^exponent, so low-numbered vertices are in heavy demand.
Bipartite powerLaw(const Parameters& p, Random& random) {
  Bipartite g{p.count("left"), p.count("right"), {}};
  const std::size_t m = checkedSize(g.left + g.right, std::round(g.left * p.real("degree")));
  const Zipf second(g.right, p.real("exponent"));
  g.edges.reserve(m);
  for (std::size_t i = 0; i < m; ++i) {
    const int head = second.draw(random);
    g.edges.push_back({uniformIn(random, g.left), head});
  }
  return g;
}

// Both endpoints Zipf-distributed: hubs on both sides at once, and the hubs
// of one side joined mostly to the hubs of the other.
Bipartite powerLawBoth(const Parameters& p, Random& random) {
  Bipartite g{p.count("left"), p.count("right"), {}};
  const std::size_t m = checkedSize(g.left + g.right, std::round(g.left * p.real("degree")));
  const Zipf first(g.left, p.real("exponent")), second(g.right, p.real("exponent"));
  g.edges.reserve(m);
  for (std::size_t i = 0; i < m; ++i) {
    const int tail = first.draw(random);
    g.edges.push_back({tail, second.draw(random)});
  }
  return g;
}

// Blocks X_1 … X_L and Y_1 … Y_L of b vertices each; x_i,j is joined to every
// vertex of Y_i+1 (a complete block) and to its own partner y_i,j, the
// partners forming the only perfect matching. Each x_i,j lists the block
// starting at its own offset j, with the partner edge in the middle, so a
// greedy start that scans lists in file order or in reverse order takes a
// block edge for every vertex: X_i fills Y_i+1, the last block's X vertices
// stay free, Y_1 stays free, and every augmenting path crosses all blocks.
Bipartite longPaths(const Parameters& p, Random&) {
  const int blocks = p.count("blocks");
  const int b = p.count("block-size");
  const double n = static_cast<double>(blocks) * b;
  Bipartite g{0, 0, {}};
  g.edges.reserve(checkedSize(2 * n, (blocks - 1.0) * b * b + n));
  g.left = g.right = static_cast<int>(n);
  for (int block = 0; block < blocks; ++block) {
    const int next = (block + 1) * b + 1;  // the first vertex of Y_i+1
    for (int j = 0; j < b; ++j) {
      const int x = block * b + j + 1;
      for (int t = 0; t < b; ++t) {
        if (t == (b + 1) / 2) g.edges.push_back({x, x});
        if (block + 1 < blocks) g.edges.push_back({x, next + (j + t) % b});
      }
      if (b == 1) g.edges.push_back({x, x});
    }
  }
  return g;
}

// A honeycomb drawn as a brick wall of rows × width cells: first-side vertex
// i is joined to second-side vertices i + width (the row below), i + 1 (the
// next cell of its row) and i, in that order.
Bipartite hexGrid(const Parameters& p, Random&) {
  const int rows = p.count("rows");
  const int width = p.count("width");
  const double n = static_cast<double>(rows) * width;
  Bipartite g{0, 0, {}};
  g.edges.reserve(checkedSize(2 * n, 3 * n));
  g.left = g.right = static_cast<int>(n);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < width; ++c) {
      const int i = r * width + c + 1;
      if (r + 1 < rows) g.edges.push_back({i, i + width});
      if (c + 1 < width) g.edges.push_back({i, i + 1});
      g.edges.push_back({i, i});
    }
  }
  return g;
}

// A random perfect matching hidden among random noise edges, all in random
// order; the maximum matching is therefore perfect.
Bipartite hiddenPerfect(const Parameters& p, Random& random) {
  const int n = p.count("size");
  const std::size_t noise = checkedSize(2.0 * n, std::round(n * p.real("noise")) + n) - n;
  Bipartite g{n, n, {}};
  std::vector<int> partner(n);
  for (int i = 0; i < n; ++i) partner[i] = i + 1;
  shuffle(partner, random);
  g.edges.reserve(n + noise);
  for (int i = 0; i < n; ++i) g.edges.push_back({i + 1, partner[i]});
  for (std::size_t i = 0; i < noise; ++i) {
    g.edges.push_back({uniformIn(random, n), uniformIn(random, n)});
  }
  shuffle(g.edges, random);
  return g;
}

// Every first-side vertex has exactly `degree` edges to a much smaller
// second side, so most of them must stay unmatched.
Bipartite fewToMany(const Parameters& p, Random& random) {
  Bipartite g{p.count("left"), p.count("right"), {}};
  if (g.right > g.left) throw UsageError("few-to-many needs --right no larger than --left");
  const int degree = p.count("degree");
  g.edges.reserve(checkedSize(g.left + g.right, static_cast<double>(g.left) * degree));
  for (int x = 1; x <= g.left; ++x) {
    for (int k = 0; k < degree; ++k) g.edges.push_back({x, uniformIn(random, g.right)});
  }
  return g;
}

// Many small components side by side: each has 1 … 2 × size - 1 vertices on
// each side (drawn apart, so a component may be unbalanced) and `degree`
// random edges from each of its first-side vertices.
Bipartite components(const Parameters& p, Random& random) {
  const int count = p.count("components");
  const int size = p.count("size");
  const int degree = p.count("degree");
  const double most = static_cast<double>(count) * (2 * size - 1);
  checkedSize(2 * most, most * degree);
  Bipartite g{0, 0, {}};
  g.edges.reserve(static_cast<std::size_t>(count) * size * degree);
  for (int c = 0; c < count; ++c) {
    const int left = uniformIn(random, 2 * size - 1);
    const int right = uniformIn(random, 2 * size - 1);
    for (int x = g.left + 1; x <= g.left + left; ++x) {
      for (int k = 0; k < degree; ++k) g.edges.push_back({x, g.right + uniformIn(random, right)});
    }
    g.left += left;
    g.right += right;
  }
  return g;
}

// A maximum matching that leaves k = ⌊free × size⌋ vertices free on each side,
// whatever the start: first-side vertices 1 … 2k reach only second-side
// vertices 1 … k, and second-side vertices k + 1 … 3k only first-side
// vertices 2k + 1 … 3k. The rest is square with a perfect matching (i, i).
// Each first-side vertex has its partner edge (the first k of the 2k rows
// with partners 1 … k, rows 2k + 1 … 3k with k + 1 … 2k) and degree - 1
// random edges in its part; the square rows' random edges may also take
// columns 1 … k, which the 2k rows need.
Bipartite deficient(const Parameters& p, Random& random) {
  const int n = p.count("size");
  const int k = static_cast<int>(n * p.real("free"));  // rounded down: 3k <= size
  const int degree = p.count("degree");
  Bipartite g{n, n, {}};
  g.edges.reserve(checkedSize(2.0 * n, static_cast<double>(n) * degree));
  auto row = [&](int x, int partner, auto column) {
    if (partner > 0) g.edges.push_back({x, partner});
    for (int e = partner > 0 ? 1 : 0; e < degree; ++e) g.edges.push_back({x, column()});
  };
  for (int x = 1; x <= 2 * k; ++x) row(x, x <= k ? x : 0, [&] { return uniformIn(random, k); });
  for (int x = 2 * k + 1; x <= 3 * k; ++x) {
    row(x, x - k, [&] { return k + uniformIn(random, 2 * k); });
  }
  for (int x = 3 * k + 1; x <= n; ++x) {
    row(x, x, [&] {
      const int y = uniformIn(random, n - 2 * k);  // 1 … k, or past 3k
      return y <= k ? y : y + 2 * k;
    });
  }
  return g;
}

// Karp-Sipser's worst case, a hidden perfect matching (i, i) under a dense
// row block: rows R1 = 1 … dense each join `degree` random columns of
// C2 = dense + 1 … size, every other row joins one random column of
// C1 = 1 … dense. No vertex starts with degree one, every choice of a C1
// column by a row of R2 costs a row of R1 its only partner outside C2, and
// the noise edges come first in every list, so a greedy or Karp-Sipser
// start leaves augmenting paths that run through the dense block.
Bipartite ksHard(const Parameters& p, Random& random) {
  const int n = p.count("size");
  const int dense = p.count("dense");
  const int degree = p.count("degree");
  if (dense >= n) throw UsageError("ks-hard needs --dense below --size");
  Bipartite g{n, n, {}};
  g.edges.reserve(checkedSize(2.0 * n, 2.0 * n - dense + double(dense) * degree));
  for (int i = 1; i <= n; ++i) {
    if (i <= dense) {
      for (int k = 0; k < degree; ++k) g.edges.push_back({i, dense + uniformIn(random, n - dense)});
    } else {
      g.edges.push_back({i, uniformIn(random, dense)});
    }
    g.edges.push_back({i, i});
  }
  return g;
}

const FamilySpec kUniform{"uniform",
                          "edges with both ends uniformly random",
                          {{"left", 10000, 1, true, "first-side vertices"},
                           {"right", 10000, 1, true, "second-side vertices"},
                           {"degree", 4, 0, false, "average edges per first-side vertex"}}};

const FamilySpec kPowerLaw{"power-law",
                           "uniform first end, Zipf-distributed second end",
                           {{"left", 10000, 1, true, "first-side vertices"},
                            {"right", 10000, 1, true, "second-side vertices"},
                            {"degree", 4, 0, false, "average edges per first-side vertex"},
                            {"exponent", 1, 0, false, "Zipf exponent (0 is uniform)"}}};

const FamilySpec kPowerLawBoth{
    "power-law-both",
    "both ends Zipf-distributed: hubs on both sides",
    {{"left", 10000, 1, true, "first-side vertices"},
     {"right", 10000, 1, true, "second-side vertices"},
     {"degree", 4, 0, false, "average edges per first-side vertex"},
     {"exponent", 1, 0, false, "Zipf exponent of both sides (0 is uniform)"}}};

const FamilySpec kComponents{
    "components",
    "many small random components side by side",
    {{"components", 1000, 1, true, "components"},
     {"size", 10, 1, true, "average vertices per side of a component"},
     {"degree", 4, 1, true, "edges per first-side vertex, within its component"}}};

const FamilySpec kDeficient{
    "deficient",
    "a maximum matching leaving --free x --size vertices free on each side",
    {{"size", 10000, 1, true, "vertices per side"},
     {"free", 0.2, 0, false, "share of each side left free, rounded down", 1.0 / 3},
     {"degree", 4, 1, true, "edges per first-side vertex"}}};

const FamilySpec kLongPaths{
    "long-paths",
    "chain of complete blocks; greedy leaves augmenting paths across the chain",
    {{"blocks", 1000, 1, true, "blocks in the chain"},
     {"block-size", 4, 1, true, "vertices per side of a block"}}};

const FamilySpec kHexGrid{
    "hex-grid",
    "honeycomb: vertex i joined to i + width, i + 1 and i",
    {{"rows", 100, 1, true, "rows of the grid"}, {"width", 100, 1, true, "vertices per row"}}};

const FamilySpec kHiddenPerfect{"hidden-perfect",
                                "a random perfect matching plus random noise edges, shuffled",
                                {{"size", 10000, 1, true, "vertices per side"},
                                 {"noise", 3, 0, false, "average noise edges per vertex"}}};

const FamilySpec kKsHard{
    "ks-hard",
    "hidden perfect matching under a dense row block, against Karp-Sipser starts",
    {{"size", 10000, 2, true, "vertices per side"},
     {"dense", 100, 1, true, "rows in the dense block (below --size)"},
     {"degree", 100, 1, true, "edges of each dense row"}}};

const FamilySpec kFewToMany{"few-to-many",
                            "many first-side vertices competing for few second-side ones",
                            {{"left", 10000, 1, true, "first-side vertices"},
                             {"right", 100, 1, true, "second-side vertices (at most --left)"},
                             {"degree", 4, 0, true, "edges per first-side vertex"}}};

}  // namespace

const std::vector<BipartiteFamily>& bipartiteFamilies() {
  static const std::vector<BipartiteFamily> families = [] {
    std::vector<BipartiteFamily> all{
        {kUniform, uniform},    {kPowerLaw, powerLaw},           {kLongPaths, longPaths},
        {kHexGrid, hexGrid},    {kHiddenPerfect, hiddenPerfect}, {kFewToMany, fewToMany},
        {kKsHard, ksHard},      {kPowerLawBoth, powerLawBoth},   {kComponents, components},
        {kDeficient, deficient}};
    all.insert(all.end(), matrixFamilies().begin(), matrixFamilies().end());
    return all;
  }();
  return families;
}
