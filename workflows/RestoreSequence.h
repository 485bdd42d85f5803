// Writing saved configuration back to a controller in normal mode, without any transfer:
// what the window offers at start-up for a backup that never went back, and what the Linux
// command's restore does. The restore steps as an upgrade runs them (with their retries, the
// save and the mode), then "Configuration restored" or the offer to try again.
#pragma once

#include <string>

#include "workflows/SequenceFrame.h"
#include "workflows/UpgradeSteps.h"

// The worker body: writes back what `plan` holds, after saying where it comes from. True when
// the configuration went back.
template <typename Device>
bool RestoreSequence(Device& device, const RunContext& context, SequenceView& view,
                     const RestorePlan& plan) {
  return RunSequence(
      view, SequenceKind::kRestore,
      [&] {
        SayWhereFrom(view, plan);
        return upgrade_steps::RestoreAndRecord(device, context, view, plan);
      },
      [&](bool restored) {
        const bool final = ShowRestoreOutcome(
            context, view, restored, upgrade_steps::RestoreAgainOf(device, context, view, plan));
        EndRun(view, final ? RunOutcome::kSucceeded : RunOutcome::kFailed);
        return final;
      });
}

// One saved backup alone. `backupName` is the backup's file in the backup folder (empty for
// a file elsewhere, whose state is not kept).
template <typename Device>
bool RestoreSequence(Device& device, const RunContext& context, SequenceView& view,
                     const std::string& backupName, const SavedBackup& backup) {
  return RestoreSequence(device, context, view, PlanFromBackup(backupName, backup));
}
