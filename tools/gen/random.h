// A small deterministic random source: splitmix64. The same seed yields the
// same sequence on every platform and library, which the standard
// distributions do not promise.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  // Uniform in 0 … bound - 1 (bound > 0), by multiply-and-shift; the bias is
  // below bound / 2^64 and irrelevant at the sizes generated here.
  std::uint32_t below(std::uint32_t bound) {
    return static_cast<std::uint32_t>(((next() >> 32) * bound) >> 32);
  }

  // Uniform in lo … hi (0 <= lo <= hi), by the same multiply-and-shift in 128
  // bits, so that spans up to 2^63 keep their whole range.
  std::int64_t between(std::int64_t lo, std::int64_t hi) {
    const auto span = static_cast<unsigned __int128>(static_cast<std::uint64_t>(hi - lo)) + 1;
    return lo + static_cast<std::int64_t>((next() * span) >> 64);
  }

  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_;
};

// Uniform in 1 … size (size > 0): a vertex number.
inline int uniformIn(Random& random, int size) {
  return 1 + static_cast<int>(random.below(static_cast<std::uint32_t>(size)));
}

// Fisher-Yates with the generators' random source, so that a seed fixes the
// order on every platform.
template <class T>
void shuffle(std::vector<T>& items, Random& random) {
  for (std::size_t i = items.size(); i > 1; --i) {
    std::swap(items[i - 1], items[random.below(static_cast<std::uint32_t>(i))]);
  }
}
