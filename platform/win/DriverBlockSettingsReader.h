// Reads the three settings of Windows that can keep the physical-memory library's driver
// from loading (see platform/DriverBlock.h) from the registry, with the build of Windows.
#pragma once

#include "platform/DriverBlock.h"

// Read afresh at each call: the user may have changed a setting since the last refusal. A
// value that is missing, or is not a DWORD, reads as off (the blocklist's switch: not set).
// Memory integrity is on also when its group policy turns it on.
DriverBlockSettings ReadDriverBlockSettings();

// The settings source of the Windows run: ReadDriverBlockSettings.
class RegistryDriverBlockSettings final : public DriverBlockSettingsSource {
 public:
  DriverBlockSettings Read() override { return ReadDriverBlockSettings(); }
};
