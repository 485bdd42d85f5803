// The normal firmware upgrade that the Update button starts on a worker thread: backup,
// transfer, power cycle, restore, version, save and mode, then the outcome.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "workflows/UpgradeSteps.h"

namespace upgrade_steps {

// Everything from the checks before anything is sent to the end of the restore. The image is
// released when this returns, before the outcome is shown.
template <typename Device>
UpgradeResult RunUpgrade(Device& device, SequenceView& view,
                         const std::filesystem::path& firmwarePath) {
  FirmwareImage image;
  if (std::optional<UpgradeResult> refusal = RefusalBeforeSending(image, firmwarePath)) {
    return *refusal;
  }
  uint32_t startMs = NowMs();
  view.SetProgress(0);
  view.SetStatus(L"Backup config.....");
  if (!backup_steps::BackUpButtonConfig(device, view)) {
    view.SetStatus(L"Backup button config failed!");
    return UpgradeResult::kFailed;
  }
  if (!backup_steps::BackUpGlobalConfig(device, view)) {
    view.SetStatus(L"Backup global config failed!");
    return UpgradeResult::kFailed;
  }
  view.SetStatus(L"Ready, please wait...");
  return TransferAndRestore(device, view, image, startMs);
}

}  // namespace upgrade_steps

// The worker body of Update. `firmwarePath` is the worker's own copy of the path; `startId`
// is the id of the button that started it. Returns where the upgrade ended, for a front-end
// that reports it beyond the window.
template <typename Device>
UpgradeResult UpgradeSequence(Device& device, SequenceView& view,
                              const std::filesystem::path& firmwarePath, uint16_t startId) {
  auto boxPlacement = view.PlaceMessageBoxes();
  auto awake = view.KeepAwake();
  DisableUpgradeControls(view, startId);
  UpgradeResult result = upgrade_steps::RunUpgrade(device, view, firmwarePath);
  ShowUpgradeOutcome(view, result);
  // The hook goes before the window is free again: a next upgrade installs its own, and the
  // one variable that holds the installed hook must not be unhooked under it.
  boxPlacement.reset();
  FinishUpgrade(view, startId);
  return result;
}
