#include "capacitated_families.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

namespace {

struct CapacityRange {
  std::int64_t least;
  std::int64_t most;

  std::int64_t draw(Random& random) const { return random.between(least, most); }
  // least + fraction × (most − least), rounded, for a fraction in [0, 1];
  // the clamp keeps a span that rounds up as a double within the range.
  std::int64_t at(double fraction) const {
    const double span = static_cast<double>(most - least);
    return least + std::min<std::int64_t>(most - least, std::llround(fraction * span));
  }
};

CapacityRange capacityRange(const Parameters& p) {
  const CapacityRange range{p.capacity("min-capacity"), p.capacity("max-capacity")};
  if (range.least > range.most) {
    throw UsageError("--min-capacity must be at most --max-capacity");
  }
  return range;
}

[[noreturn]] void capacityTooLarge() {
  throw UsageError("these parameters give a capacity above " + std::to_string(kLargestCapacity));
}

// a + b and a × k for capacities (all of them at least 0), refused past
// kLargestCapacity instead of wrapping.
std::int64_t addCapacities(std::int64_t a, std::int64_t b) {
  if (a > kLargestCapacity - b) capacityTooLarge();
  return a + b;
}

std::int64_t multiplyCapacity(std::int64_t a, std::int64_t k) {
  if (k > 0 && a > kLargestCapacity / k) capacityTooLarge();
  return a * k;
}

void addArc(Network& network, int tail, int head, std::int64_t capacity) {
  network.arcs.push_back({tail, head});
  network.capacities.push_back(capacity);
}

void reserve(Network& network, std::size_t arcs) {
  network.arcs.reserve(arcs);
  network.capacities.reserve(arcs);
}

// Goldfarb and Grigoriadis's RMF networks: `frames` square grids of
// side × side nodes. Inside a frame every node is joined to its grid
// neighbours in both directions by arcs of capacity max-capacity × side²,
// too large to be cut; node i of each frame sends one arc of random capacity
// to node π(i) of the next frame, π a fresh random permutation per frame
// pair. The source is the first node of the first frame, the sink the last
// node of the last frame, so every unit crosses all frames through the
// narrow random arcs.
Network rmf(const Parameters& p, Random& random) {
  const int side = p.count("side");
  const int frames = p.count("frames");
  const CapacityRange range = capacityRange(p);
  const double frameNodes = static_cast<double>(side) * side;
  const double inFrame = 4.0 * side * (side - 1.0);
  const std::size_t m =
      checkedSize(frameNodes * frames, inFrame * frames + frameNodes * (frames - 1.0));
  const int perFrame = side * side;
  const std::int64_t grid = multiplyCapacity(range.most, perFrame);
  Network network{perFrame * frames, 1, perFrame * frames, {}, {}};
  reserve(network, m);
  std::vector<int> next(perFrame);
  for (int f = 0; f < frames; ++f) {
    const int first = 1 + f * perFrame;
    std::iota(next.begin(), next.end(), first + perFrame);
    shuffle(next, random);
    for (int r = 0; r < side; ++r) {
      for (int c = 0; c < side; ++c) {
        const int node = first + r * side + c;
        if (c + 1 < side) {
          addArc(network, node, node + 1, grid);
          addArc(network, node + 1, node, grid);
        }
        if (r + 1 < side) {
          addArc(network, node, node + side, grid);
          addArc(network, node + side, node, grid);
        }
        if (f + 1 < frames) addArc(network, node, next[r * side + c], range.draw(random));
      }
    }
  }
  return network;
}

// The random level graphs of the Washington generator: the `layered` shape
// (source, layers of width nodes each sending `degree` arcs to random nodes
// of the next layer, sink) with every capacity random. The structure is
// drawn first, so the same seed gives the `layered` network with --unit.
Network randomLevel(const Parameters& p, Random& random) {
  const CapacityRange range = capacityRange(p);
  Network network = layered(p, random);
  network.capacities.reserve(network.arcs.size());
  for (std::size_t i = 0; i < network.arcs.size(); ++i) {
    network.capacities.push_back(range.draw(random));
  }
  return network;
}

// One copy of the two modules of an `ak` network, on nodes from `base` on.
class HardModules {
 public:
  HardModules(Network& network, int base, int length, CapacityRange range, Random& random)
      : network_(network), base_(base), length_(length), range_(range), random_(random) {}

  // Chain b_1 → … → b_L → sink, and the source → b_i with a random capacity
  // r_i; the chain arc out of b_i carries r_1 + … + r_i, so it never limits.
  // Every source–sink path has a length of its own, from 3 to L + 2: an
  // algorithm augmenting along shortest paths needs L phases, and one
  // augmenting path at a time walks Θ(L²) arcs.
  void staircase() {
    std::int64_t carried = 0;
    for (int i = 1; i <= length_; ++i) {
      const std::int64_t r = range_.draw(random_);
      addArc(network_, network_.source, b(i), r);
      carried = addCapacities(carried, r);
      addArc(network_, b(i), i < length_ ? b(i + 1) : network_.sink, carried);
    }
  }

  // Path a_0 → … → a_L with a two-arc detour a_i-1 → d_i → a_i beside every
  // path arc, all of random capacity; the source fills what a_0 can pass on,
  // but the exit a_L → sink takes only min-capacity. Nearly all the excess
  // pushed in must climb back over the whole path and its detours to the
  // source: with distance labels that is Θ(L²) relabels unless a global
  // update or the gap rule lifts the path at once.
  void detourPath() {
    const int entry = static_cast<int>(network_.arcs.size());
    addArc(network_, network_.source, a(0), 0);  // its capacity is set below
    for (int i = 1; i <= length_; ++i) {
      const std::int64_t direct = range_.draw(random_);
      const std::int64_t detour = range_.draw(random_);
      addArc(network_, a(i - 1), a(i), direct);
      addArc(network_, a(i - 1), d(i), detour);
      addArc(network_, d(i), a(i), detour);
      if (i == 1) network_.capacities[entry] = addCapacities(direct, detour);
    }
    addArc(network_, a(length_), network_.sink, range_.least);
  }

 private:
  int b(int i) const { return base_ + i - 1; }            // 1 … L
  int a(int i) const { return base_ + length_ + i; }      // 0 … L
  int d(int i) const { return base_ + 2 * length_ + i; }  // 1 … L

  Network& network_;
  int base_;
  int length_;
  CapacityRange range_;
  Random& random_;
};

// After Cherkassky and Goldberg's AK networks: `copies` copies, side by
// side between one source and one sink, of two modules of long paths with
// many short detours, one against augmenting paths and one against
// push-relabel (HardModules). The maximum flow is the sum of each copy's
// staircase capacities r_i plus min-capacity per copy.
Network ak(const Parameters& p, Random& random) {
  const int length = p.count("length");
  const int copies = p.count("copies");
  const CapacityRange range = capacityRange(p);
  const double perCopy = 3.0 * length + 1;
  const std::size_t m = checkedSize(copies * perCopy + 2, copies * (5.0 * length + 2));
  const int nodes = static_cast<int>(copies * perCopy + 2);
  Network network{nodes, 1, nodes, {}, {}};
  reserve(network, m);
  for (int copy = 0; copy < copies; ++copy) {
    HardModules modules(network, 2 + copy * static_cast<int>(perCopy), length, range, random);
    modules.staircase();
    modules.detourPath();
  }
  return network;
}

// The intensities of a rows × width image: a smooth field, bilinear between
// random values on a lattice `region` pixels apart (so that regions of
// similar intensity form), plus uniform noise of the given amplitude, clamped
// to [0, 1].
std::vector<double> image(int rows, int width, int region, double noise, Random& random) {
  const int latticeRows = rows / region + 2;
  const int latticeWidth = width / region + 2;
  std::vector<double> lattice(static_cast<std::size_t>(latticeRows) * latticeWidth);
  for (double& value : lattice) value = random.unit();
  auto at = [&](int y, int x) { return lattice[static_cast<std::size_t>(y) * latticeWidth + x]; };
  std::vector<double> pixels(static_cast<std::size_t>(rows) * width);
  for (int r = 0; r < rows; ++r) {
    const int y = r / region;
    const double ty = static_cast<double>(r % region) / region;
    for (int c = 0; c < width; ++c) {
      const int x = c / region;
      const double tx = static_cast<double>(c % region) / region;
      const double top = at(y, x) + tx * (at(y, x + 1) - at(y, x));
      const double bottom = at(y + 1, x) + tx * (at(y + 1, x + 1) - at(y + 1, x));
      const double value = top + ty * (bottom - top) + noise * (2 * random.unit() - 1);
      pixels[static_cast<std::size_t>(r) * width + c] = std::clamp(value, 0.0, 1.0);
    }
  }
  return pixels;
}

// How strongly two neighbouring pixels are tied, in (0, 1]: 1 for equal
// intensities, falling as 1 / (1 + (difference / 0.1)²), the edge-stopping
// function of Perona and Malik, so that a difference of a tenth of the
// intensity range halves the tie. Plain arithmetic keeps it the same on
// every platform, which exp() does not promise.
double tie(double p, double q) {
  const double scaled = (p - q) / 0.1;
  return 1 / (1 + scaled * scaled);
}

// A segmentation problem's graph (Boykov and Jolly): one node per pixel of a
// random image, source 1, pixels 2 … rows × width + 1 by rows, sink last.
// Each pixel has one terminal arc, from the source if its intensity is at
// least one half and to the sink otherwise, of capacity
// min + |2 × intensity − 1| × (max − min) (the difference of the two data
// terms); each pair of 4- or 8-neighbours is joined in both directions by
// arcs of capacity min + smoothness × tie × (max − min), diagonal ties
// divided by √2 for their length.
Network vision(const Parameters& p, Random& random) {
  const int rows = p.count("rows");
  const int width = p.count("width");
  const int neighbours = p.count("neighbours");
  if (neighbours != 4 && neighbours != 8) throw UsageError("--neighbours must be 4 or 8");
  const CapacityRange range = capacityRange(p);
  const double pixelCount = static_cast<double>(rows) * width;
  const double pairs = 2.0 * rows * width - rows - width +
                       (neighbours == 8 ? 2.0 * (rows - 1.0) * (width - 1.0) : 0);
  const std::size_t m = checkedSize(pixelCount + 2, pixelCount + 2 * pairs);
  const std::vector<double> pixels = image(rows, width, p.count("region"), p.real("noise"), random);
  const int nodes = static_cast<int>(pixelCount) + 2;
  Network network{nodes, 1, nodes, {}, {}};
  reserve(network, m);
  const double smoothness = p.real("smoothness");
  auto join = [&](int r, int c, int r2, int c2, double weight) {
    const int i = r * width + c, j = r2 * width + c2;
    const std::int64_t capacity = range.at(smoothness * weight * tie(pixels[i], pixels[j]));
    addArc(network, i + 2, j + 2, capacity);
    addArc(network, j + 2, i + 2, capacity);
  };
  const double diagonal = 1 / std::sqrt(2.0);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < width; ++c) {
      const int node = r * width + c + 2;
      const double value = pixels[node - 2];
      const std::int64_t data = range.at(std::fabs(2 * value - 1));
      if (value >= 0.5) addArc(network, network.source, node, data);
      if (value < 0.5) addArc(network, node, network.sink, data);
      if (c + 1 < width) join(r, c, r, c + 1, 1);
      if (r + 1 < rows) join(r, c, r + 1, c, 1);
      if (neighbours == 8 && r + 1 < rows && c + 1 < width) join(r, c, r + 1, c + 1, diagonal);
      if (neighbours == 8 && r + 1 < rows && c > 0) join(r, c, r + 1, c - 1, diagonal);
    }
  }
  return network;
}

OptionSpec minCapacity(double fallback) {
  return capacityOption("min-capacity", fallback, "smallest random capacity");
}

OptionSpec maxCapacity(double fallback) {
  return capacityOption("max-capacity", fallback, "largest random capacity");
}

const FamilySpec kRmf{
    "rmf",
    "Goldfarb-Grigoriadis RMF: frames of grids joined through random permutations",
    {{"side", 16, 1, true, "nodes per side of a square frame"},
     {"frames", 16, 2, true, "frames"},
     minCapacity(1),
     maxCapacity(10000)}};

const FamilySpec kRandomLevel{
    "random-level",
    "Washington random level graph: the layered shape with random capacities",
    {{"layers", 10, 1, true, "layers"},
     {"width", 1000, 1, true, "nodes per layer"},
     {"degree", 3, 1, true, "arcs from each node to the next layer"},
     minCapacity(1),
     maxCapacity(10000)}};

const FamilySpec kAk{
    "ak",
    "long paths with many short detours, against augmenting paths and push-relabel",
    {{"length", 1000, 1, true, "nodes on each long path"},
     {"copies", 1, 1, true, "copies of the two modules"},
     minCapacity(1),
     maxCapacity(100)}};

const FamilySpec kVision{
    "vision",
    "segmentation-shaped grid: terminal arcs with data terms, neighbour arcs both ways",
    {{"rows", 100, 1, true, "pixel rows"},
     {"width", 100, 1, true, "pixels per row"},
     {"neighbours", 4, 4, true, "4 or 8: the neighbourhood of a pixel", 8},
     {"region", 16, 1, true, "pixels between the random values the image is smoothed from"},
     {"noise", 0.2, 0, false, "amplitude of the per-pixel noise", 1},
     {"smoothness", 0.5, 0, false, "neighbour capacity between equal pixels, as a share", 1},
     minCapacity(0),
     maxCapacity(1000)}};

}  // namespace

const std::vector<NetworkFamily>& capacitatedFamilies() {
  static const std::vector<NetworkFamily> families{
      {kRmf, rmf}, {kRandomLevel, randomLevel}, {kAk, ak}, {kVision, vision}};
  return families;
}
