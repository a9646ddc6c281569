// The seeded generator behind every byte and size of the product archive (splitmix64), so that
// one seed always gives the same archive.
#pragma once
#include <cstdint>

namespace productzip {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [low, high].
  uint64_t Between(uint64_t low, uint64_t high) { return low + Next() % (high - low + 1); }
  // A new generator for one part, so that parts do not shift each other's streams.
  Random Fork(uint64_t salt) { return Random(Next() ^ (salt * 0xD1B54A32D192ED03ull)); }

 private:
  uint64_t state_;  // advances by the golden-ratio step on every draw
};

}  // namespace productzip
