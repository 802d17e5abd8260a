#include "matrix_families.h"

#include <algorithm>
#include <cmath>

namespace {

// A square matrix whose entry (i, j) with |i - j| <= band is present with
// probability `fill`, the diagonal included, so that a row or a column may be
// empty and the matching deficient.
Bipartite banded(const Parameters& p, Random& random) {
  const int n = p.count("size");
  const int band = p.count("band");
  const double fill = p.real("fill");
  Bipartite g{n, n, {}};
  g.edges.reserve(checkedSize(2.0 * n, n * fill * (2.0 * band + 1) + 1));
  for (int i = 1; i <= n; ++i) {
    for (int j = std::max(1, i - band); j <= std::min(n, i + band); ++j) {
      if (random.unit() < fill) g.edges.push_back({i, j});
    }
  }
  return g;
}

// Bordered block-diagonal, the shape of circuit and multi-physics matrices:
// `blocks` square diagonal blocks of block-size rows, each row with `degree`
// random columns of its own block, then `coupling` rows and `coupling`
// columns, each with coupling-degree random entries anywhere.
Bipartite blockDiagonal(const Parameters& p, Random& random) {
  const int blocks = p.count("blocks");
  const int size = p.count("block-size");
  const int degree = p.count("degree");
  const int coupling = p.count("coupling");
  const int couplingDegree = p.count("coupling-degree");
  const double inner = static_cast<double>(blocks) * size;
  const std::size_t m =
      checkedSize(2 * (inner + coupling), inner * degree + 2.0 * coupling * couplingDegree);
  const int n = static_cast<int>(inner) + coupling;
  Bipartite g{n, n, {}};
  g.edges.reserve(m);
  for (int row = 1; row <= inner; ++row) {
    const int first = (row - 1) / size * size;  // the block's columns follow
    for (int k = 0; k < degree; ++k) g.edges.push_back({row, first + uniformIn(random, size)});
  }
  for (int c = 1; c <= coupling; ++c) {
    const int border = static_cast<int>(inner) + c;
    for (int k = 0; k < couplingDegree; ++k) {
      g.edges.push_back({border, uniformIn(random, n)});
      g.edges.push_back({uniformIn(random, n), border});
    }
  }
  sortByRows(g);
  return g;
}

// The pattern of the 5-point Laplacian on a rows × width grid, numbered row
// by row as a mesh generator numbers it: vertex i is joined to its grid
// neighbours i ± 1 and i ± width, and to itself with probability `diagonal`
// (with every diagonal entry the matching is perfect and an ordered greedy
// start finds it; each missing one makes it harder).
Bipartite grid(const Parameters& p, Random& random) {
  const int rows = p.count("rows");
  const int width = p.count("width");
  const double n = static_cast<double>(rows) * width;
  Bipartite g{0, 0, {}};
  g.edges.reserve(checkedSize(2 * n, 5 * n));
  g.left = g.right = static_cast<int>(n);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < width; ++c) {
      const int i = r * width + c + 1;
      if (r > 0) g.edges.push_back({i, i - width});
      if (c > 0) g.edges.push_back({i, i - 1});
      if (random.unit() < p.real("diagonal")) g.edges.push_back({i, i});
      if (c + 1 < width) g.edges.push_back({i, i + 1});
      if (r + 1 < rows) g.edges.push_back({i, i + width});
    }
  }
  return g;
}

// A triangle mesh of a rows × width grid of nodes, each square cut along a
// random diagonal; the element-node incidence matrix as a finite-element
// code writes it: one row per triangle, cell by cell, each listing its three
// nodes counterclockwise. Twice as many triangles as nodes.
Bipartite mesh(const Parameters& p, Random& random) {
  const int rows = p.count("rows");
  const int width = p.count("width");
  const double cells = (rows - 1.0) * (width - 1.0);
  const double nodes = static_cast<double>(rows) * width;
  Bipartite g{0, 0, {}};
  g.edges.reserve(checkedSize(2 * cells + nodes, 6 * cells));
  g.left = static_cast<int>(2 * cells);
  g.right = static_cast<int>(nodes);
  int triangle = 0;
  auto element = [&](int a, int b, int c) {
    ++triangle;
    for (int node : {a, b, c}) g.edges.push_back({triangle, node});
  };
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < width; ++c) {
      const int sw = r * width + c + 1, se = sw + 1, nw = sw + width, ne = nw + 1;
      if (random.below(2) == 0) {
        element(sw, se, ne);
        element(sw, ne, nw);
      } else {
        element(sw, se, nw);
        element(se, ne, nw);
      }
    }
  }
  return g;
}

const FamilySpec kBanded{"banded",
                         "square band matrix with random fill, diagonal included",
                         {{"size", 10000, 1, true, "rows and columns"},
                          {"band", 5, 0, true, "largest |row - column| of an entry"},
                          {"fill", 0.4, 0, false, "probability of each entry in the band", 1}}};

const FamilySpec kBlockDiagonal{
    "block-diagonal",
    "diagonal blocks with a few coupling rows and columns",
    {{"blocks", 100, 1, true, "diagonal blocks"},
     {"block-size", 100, 1, true, "rows and columns of a block"},
     {"degree", 4, 1, true, "entries of each block row, in its block"},
     {"coupling", 10, 0, true, "coupling rows, and as many coupling columns"},
     {"coupling-degree", 100, 1, true, "entries of each coupling row and column"}}};

const FamilySpec kGrid{"grid",
                       "5-point Laplacian pattern of a grid, numbered row by row",
                       {{"rows", 100, 1, true, "rows of the grid"},
                        {"width", 100, 1, true, "vertices per row"},
                        {"diagonal", 1, 0, false, "probability of each diagonal entry", 1}}};

const FamilySpec kMesh{
    "mesh",
    "triangle-node incidence of a triangulated grid, element by element",
    {{"rows", 100, 2, true, "rows of mesh nodes"}, {"width", 100, 2, true, "mesh nodes per row"}}};

}  // namespace

const std::vector<BipartiteFamily>& matrixFamilies() {
  static const std::vector<BipartiteFamily> families{
      {kBanded, banded}, {kBlockDiagonal, blockDiagonal}, {kGrid, grid}, {kMesh, mesh}};
  return families;
}
