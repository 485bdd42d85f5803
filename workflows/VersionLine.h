// The version line that both front ends show: the running firmware's version and mode, read
// from the controller's global block, or that it could not be read; and, when it could not,
// whether the controller waits in its boot loader (a fact each front end words itself).
#pragma once

#include <cstdint>
#include <string>

#include "device/CommandReport.h"
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

// What a version read found.
enum class VersionReading {
  kRead,             // the controller answered in normal mode
  kBootLoaderAlone,  // only its boot loader is there: the firmware must be written again
  kNotRead,          // neither: no controller, one that is silent, or one kept from this one
};

// The boot loader is there and the controller is not: its firmware is gone (a transfer was cut
// off) or it was started into the boot loader, and only a forced upgrade brings it back.
// `scanner` only looks at the present devices: nothing is opened or sent.
template <typename Scanner>
bool BootLoaderAlone(Scanner& scanner) {
  return scanner.IsPresent(kBootLoaderVid, kBootLoaderPid) &&
         !scanner.IsPresent(kControllerVid, kControllerPid);
}

// The version line, and when it could not be read, whether the boot loader waits alone.
template <typename Device, typename Scanner>
VersionReading ReadVersion(Device& device, Scanner& scanner, std::wstring* line) {
  if (ReadVersionLine(device, line)) {
    return VersionReading::kRead;
  }
  return BootLoaderAlone(scanner) ? VersionReading::kBootLoaderAlone : VersionReading::kNotRead;
}
