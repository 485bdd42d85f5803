// The controller's two configuration blocks as the protocol moves them: the 33-byte global
// block and the 363-byte button table of 33 blocks of 11 bytes. Nothing here interprets
// their contents beyond the version and mode bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr size_t kGlobalConfigSize = 33;
inline constexpr size_t kFirmwareVersionByte = 0;
inline constexpr size_t kModeByte = 12;

inline constexpr size_t kButtonBlockSize = 11;
inline constexpr size_t kButtonBlockCount = 33;
inline constexpr size_t kButtonConfigSize = kButtonBlockSize * kButtonBlockCount;  // 363

using GlobalConfig = std::array<uint8_t, kGlobalConfigSize>;
using ButtonConfig = std::array<uint8_t, kButtonConfigSize>;

inline uint8_t FirmwareVersion(const GlobalConfig& global) {
  return global[kFirmwareVersionByte];
}
// Callers have read this as the high byte of the little-endian word at bytes 9-12; same byte.
inline uint8_t ControllerMode(const GlobalConfig& global) {
  return global[kModeByte];
}
