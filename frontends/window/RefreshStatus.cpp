// What the window says after a version read (see RefreshStatus.h).
#include "frontends/window/RefreshStatus.h"

#include "frontends/window/KeptControllerText.h"
#include "platform/TimeText.h"

RefreshStatus StatusAfterRefresh(const RefreshFacts& facts) {
  if (facts.reading == VersionReading::kRead) {
    return {};
  }
  // A controller that is listed but kept from this program is there in normal mode: what
  // keeps it comes first, whatever else is seen.
  if (facts.block != ControllerBlock::kNone) {
    return {KeptControllerText({facts.block, KeptWayBack::kRefresh}), false};
  }
  if (facts.reading == VersionReading::kBootLoaderAlone) {
    return {BootLoaderWaitingText(facts.pendingUtcMs), true};
  }
  return {};
}

std::wstring BootLoaderWaitingText(std::optional<int64_t> pendingUtcMs) {
  // One line of the status box, about 90 characters: with a date to name, the words are few.
  if (pendingUtcMs) {
    return L"In its boot loader: Force update writes firmware and configuration of " +
           LocalMinuteText(*pendingUtcMs);
  }
  return L"The controller waits in its boot loader: Force update writes the firmware again";
}
