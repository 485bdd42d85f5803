// The version line that both front ends show: the running firmware's version and mode, read
// from the controller's global block, or that it could not be read.
#pragma once

#include <cstdint>
#include <string>

#include "device/ConfigBlocks.h"
#include "platform/FormatString.h"

// How long the read waits for the controller to appear: a controller that is not there must
// not hold up the window's thread.
inline constexpr uint32_t kVersionLineOpenMs = 100;

// "Firmware Version: 3 Mode: 7", or "Firmware Version: Error"; true when it was read.
template <typename Device>
bool ReadVersionLine(Device& device, std::wstring* line) {
  GlobalConfig block{};
  if (!device.ReadGlobalConfig(block.data(), kGlobalConfigSize, kVersionLineOpenMs)) {
    *line = L"Firmware Version: Error";
    return false;
  }
  *line = FormatString(L"Firmware Version: %d Mode: %d", static_cast<int>(FirmwareVersion(block)),
                       static_cast<int>(ControllerMode(block)));
  return true;
}
