// SHA-256 (FIPS 180-4), which names a firmware image in the history of runs: the same bytes
// give the same digest on every machine, so a support request says which file went in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
 public:
  using Digest = std::array<uint8_t, 32>;

  Sha256();
  void Update(const uint8_t* data, size_t size);
  // The digest of everything given; the object must not be updated afterwards.
  Digest Finish();

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t totalBytes_ = 0;
};

// The digest of `size` bytes at `data` as 64 lower-case hex digits.
std::string Sha256Hex(const uint8_t* data, size_t size);
