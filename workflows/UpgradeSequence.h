// The normal firmware upgrade that the Update button starts on a worker thread: backup,
// transfer, power cycle, restore, version, save and mode, then the outcome.
#pragma once

#include <cstdint>
#include <string>

#include "workflows/UpgradeSteps.h"

namespace upgrade_steps {

// Everything from reading the image to the end of the restore. The image is released when
// this returns, before the outcome is shown.
template <typename Device>
UpgradeResult RunUpgrade(Device& device, SequenceView& view, const std::wstring& firmwarePath) {
  FirmwareImage image;
  if (!LoadFirmwareImage(image, firmwarePath)) {
    return UpgradeResult::kImageUnreadable;
  }
  uint32_t startMs = NowMs();
  view.SetProgress(0);
  view.SetStatus(L"Backup config.....");
  if (!device.ReadButtonConfig(savedButtonConfig.data(), kBackupOpenMs)) {
    view.SetStatus(L"Backup button config failed!");
    return UpgradeResult::kFailed;
  }
  if (!device.ReadGlobalConfig(savedGlobalConfig.data(), kGlobalConfigSize, kBackupOpenMs)) {
    view.SetStatus(L"Backup global config failed!");
    return UpgradeResult::kFailed;
  }
  view.SetStatus(L"Ready, please wait...");
  return TransferAndRestore(device, view, image, startMs, RestoreChoice::kBoth);
}

}  // namespace upgrade_steps

// The worker body of Update. `firmwarePath` is the worker's own copy of the path; `startId`
// is the id of the button that started it.
template <typename Device>
void UpgradeSequence(Device& device, SequenceView& view, const std::wstring& firmwarePath,
                     uint16_t startId) {
  auto boxPlacement = view.PlaceMessageBoxes();
  auto awake = view.KeepAwake();
  DisableUpgradeControls(view, startId);
  UpgradeResult result = upgrade_steps::RunUpgrade(device, view, firmwarePath);
  ShowUpgradeOutcome(view, result);
  // The hook goes before the window is free again: a next upgrade installs its own, and the
  // one variable that holds the installed hook must not be unhooked under it.
  boxPlacement.reset();
  FinishUpgrade(view, startId);
}
