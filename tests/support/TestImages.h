// Made-up firmware images for the tests, on every platform the tests build for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An image of `size` bytes in a short repeating pattern whose bytes are not all alike.
inline std::vector<uint8_t> PatternImage(size_t size) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) {
    image[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  return image;
}

// An image of `size` pseudo-random bytes; each seed gives its own series.
inline std::vector<uint8_t> SomeImage(size_t size, uint32_t seed) {
  std::vector<uint8_t> image(size);
  for (uint8_t& byte : image) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(seed >> 24);
  }
  return image;
}
