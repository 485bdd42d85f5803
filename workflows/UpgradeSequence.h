// The normal firmware upgrade that the Update button starts on a worker thread: backup (kept
// on disk before anything is sent), transfer, power cycle, restore, version, save and mode,
// then the outcome.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "workflows/UpgradeSteps.h"

namespace upgrade_steps {

// Everything from the checks before anything is sent to the end of the restore; `plan` gets
// what the restore writes back. The image is released when this returns, before the outcome
// is shown.
template <typename Device>
UpgradeResult RunUpgrade(Device& device, SequenceView& view,
                         const std::filesystem::path& firmwarePath, RestorePlan& plan) {
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
  // The transfer erases the controller's own copy: without one on disk, a cut transfer or a
  // closed program would lose the user's configuration for good.
  if (!backup_steps::SaveCopies(true, true)) {
    return UpgradeResult::kBackupNotSaved;
  }
  plan = PlanFromThisRun(view);
  view.SetStatus(L"Ready, please wait...");
  return TransferAndRestore(device, view, image, startMs, plan);
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
  RestorePlan plan;
  UpgradeResult result = upgrade_steps::RunUpgrade(device, view, firmwarePath, plan);
  awake.reset();  // the device steps are over: nothing to hold while a box waits
  result = ShowUpgradeOutcome(view, result, upgrade_steps::RestoreAgainOf(device, view, plan));
  // The hook goes before the window is free again: a next upgrade installs its own, and the
  // one variable that holds the installed hook must not be unhooked under it.
  boxPlacement.reset();
  FinishUpgrade(view, startId);
  return result;
}
