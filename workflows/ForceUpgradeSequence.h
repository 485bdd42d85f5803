// The forced upgrade that Force update starts on a worker thread once Initialize has found
// the boot loader: the transfer without a backup, restoring for each block the complete copy
// that this run of the tool holds (from Initialize, or from an Update whose transfer
// failed), or else the newest saved backup on disk that holds it (from an earlier run).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "workflows/UpgradeSteps.h"

namespace upgrade_steps {

template <typename Device>
UpgradeResult RunForcedUpgrade(Device& device, SequenceView& view,
                               const std::filesystem::path& firmwarePath, RestorePlan& plan) {
  FirmwareImage image;
  if (std::optional<UpgradeResult> refusal = RefusalBeforeSending(image, firmwarePath)) {
    return *refusal;
  }
  uint32_t startMs = NowMs();
  view.SetProgress(0);
  plan = PlanFromThisRun(view);
  AddSavedBackups(plan, view);
  view.SetStatus(L"Ready, please wait...");
  return TransferAndRestore(device, view, image, startMs, plan);
}

}  // namespace upgrade_steps

// The worker body of Force update; `startId` is the id of the Force update button. Returns
// where the upgrade ended.
template <typename Device>
UpgradeResult ForceUpgradeSequence(Device& device, SequenceView& view,
                                   const std::filesystem::path& firmwarePath, uint16_t startId) {
  auto boxPlacement = view.PlaceMessageBoxes();
  auto awake = view.KeepAwake();
  DisableUpgradeControls(view, startId);
  RestorePlan plan;
  UpgradeResult result = upgrade_steps::RunForcedUpgrade(device, view, firmwarePath, plan);
  awake.reset();  // the device steps are over: nothing to hold while a box waits
  result =
      ShowForcedUpgradeOutcome(view, result, upgrade_steps::RestoreAgainOf(device, view, plan));
  // The hook goes before the window is free again: a next upgrade installs its own, and the
  // one variable that holds the installed hook must not be unhooked under it.
  boxPlacement.reset();
  FinishUpgrade(view, startId);
  return result;
}
