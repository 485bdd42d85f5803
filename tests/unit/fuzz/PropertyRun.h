// How many random runs a property check makes and from which seed: a fixed, small number
// in the test command, more with PADWRIGHT_PROPERTY_ITERATIONS, another series with
// PADWRIGHT_PROPERTY_SEED. A failure names the seed of its run, which replays it alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace property {

inline uint32_t EnvNumber(const char* name, uint32_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') {
    return fallback;
  }
  return static_cast<uint32_t>(std::strtoul(text, nullptr, 10));
}

// `defaultRuns` unless PADWRIGHT_PROPERTY_ITERATIONS says otherwise.
inline uint32_t Iterations(uint32_t defaultRuns) {
  return EnvNumber("PADWRIGHT_PROPERTY_ITERATIONS", defaultRuns);
}

inline uint32_t FirstSeed() {
  return EnvNumber("PADWRIGHT_PROPERTY_SEED", 20250522u);
}

inline std::string SeedNote(uint32_t seed) {
  return "replay with PADWRIGHT_PROPERTY_SEED=" + std::to_string(seed) +
         " PADWRIGHT_PROPERTY_ITERATIONS=1";
}

// Runs `check(seed)` once for each seed of the series (`defaultRuns` of them unless the
// environment says otherwise), its failures naming the seed; the first run that fails ends
// the series, as it says it all.
template <typename Check>
void ForEachSeed(uint32_t defaultRuns, Check check) {
  const uint32_t runs = Iterations(defaultRuns);
  for (uint32_t i = 0; i < runs; ++i) {
    const uint32_t seed = FirstSeed() + i;
    SCOPED_TRACE(SeedNote(seed));
    check(seed);
    if (testing::Test::HasFailure()) {
      return;
    }
  }
}

}  // namespace property
