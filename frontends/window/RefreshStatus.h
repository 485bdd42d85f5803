// What the window says after a version read (Refresh) while no sequence runs, from what the
// read and the scans found: who keeps the controller from this program; or a controller
// waiting in its boot loader, which the window offers Force update for at once (grown, the
// button enabled; Update stays as it is); or nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "device/ControllerBlock.h"
#include "workflows/VersionLine.h"

struct RefreshFacts {
  VersionReading reading = VersionReading::kNotRead;
  ControllerBlock block = ControllerBlock::kNone;  // looked for when the read failed
  // The time of the newest pending saved backup, which Force update writes back.
  std::optional<int64_t> pendingUtcMs;
};

struct RefreshStatus {
  // The status line; empty when nothing stands in the way (a text said before goes).
  std::wstring text;
  // Grow the window and enable Force update.
  bool offerForceUpdate = false;
};

RefreshStatus StatusAfterRefresh(const RefreshFacts& facts);

// "The controller waits in its boot loader: Force update writes the firmware again"; with a
// pending backup "In its boot loader: Force update writes firmware and configuration of
// YYYY-MM-DD HH:MM" (local time), short enough for the status line to show the date.
std::wstring BootLoaderWaitingText(std::optional<int64_t> pendingUtcMs);
