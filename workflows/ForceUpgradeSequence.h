// The forced upgrade that Force update starts on a worker thread once Initialize has found
// the boot loader: the transfer without a backup, restoring what Initialize backed up.
#pragma once

#include <cstdint>
#include <string>

#include "workflows/UpgradeSteps.h"

namespace upgrade_steps {

template <typename Device>
UpgradeResult RunForcedUpgrade(Device& device, SequenceView& view,
                               const std::wstring& firmwarePath) {
  FirmwareImage image;
  if (!LoadFirmwareImage(image, firmwarePath)) {
    return UpgradeResult::kImageUnreadable;
  }
  uint32_t startMs = NowMs();
  view.SetProgress(0);
  view.SetStatus(L"Ready, please wait...");
  return TransferAndRestore(device, view, image, startMs, RestoreChoice::kAsInitializeSaved);
}

}  // namespace upgrade_steps

// The worker body of Force update; `startId` is the id of the Force update button.
template <typename Device>
void ForceUpgradeSequence(Device& device, SequenceView& view, const std::wstring& firmwarePath,
                          uint16_t startId) {
  auto boxPlacement = view.PlaceMessageBoxes();
  auto awake = view.KeepAwake();
  DisableUpgradeControls(view, startId);
  UpgradeResult result = upgrade_steps::RunForcedUpgrade(device, view, firmwarePath);
  ShowForcedUpgradeOutcome(view, result);
  // The hook goes before the window is free again: a next upgrade installs its own, and the
  // one variable that holds the installed hook must not be unhooked under it.
  boxPlacement.reset();
  FinishUpgrade(view, startId);
}
