// Writing a saved backup back to a controller in normal mode, without any transfer: what the
// window offers at start-up for a backup that never went back, and what the Linux command's
// restore does. The restore steps as an upgrade runs them (with their retries, the save and
// the mode), then "Configuration restored" or the offer to try again.
#pragma once

#include <cstdint>
#include <string>

#include "workflows/SequenceSteps.h"
#include "workflows/UpgradeSteps.h"

// The worker body; `startId` is the control that stands for the restore (it is disabled
// with Select and Refresh while it runs). True when the configuration went back.
template <typename Device>
bool RestoreSequence(Device& device, SequenceView& view, const std::string& backupName,
                     const SavedBackup& backup, uint16_t startId) {
  auto boxPlacement = view.PlaceMessageBoxes();
  auto awake = view.KeepAwake();
  DisableUpgradeControls(view, startId);
  const RestorePlan plan = PlanFromBackup(backupName, backup);
  view.SetStatus(UsingBackupText(backup));
  bool restored = upgrade_steps::RestoreAndRecord(device, view, plan);
  awake.reset();
  restored = ShowRestoreOutcome(view, restored, upgrade_steps::RestoreAgainOf(device, view, plan));
  boxPlacement.reset();
  FinishUpgrade(view, startId);
  return restored;
}
