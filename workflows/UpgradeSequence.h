// The normal firmware upgrade that Update starts on a worker thread: backup (kept on disk
// before anything is sent), transfer, power cycle, restore, version, save and mode, then the
// outcome.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "workflows/RunState.h"
#include "workflows/UpgradeSteps.h"

namespace upgrade_steps {

template <typename Device>
UpgradeResult RunUpgrade(Device& device, const RunContext& context, SequenceView& view,
                         RunState& run, const std::filesystem::path& firmwarePath,
                         RestorePlan& plan) {
  FirmwareImage image;
  uint32_t startMs = 0;
  if (std::optional<UpgradeResult> refusal =
          PrepareUpgrade(context, view, image, firmwarePath, startMs)) {
    return *refusal;
  }
  view.SetStatus(L"Backup config.....");
  PhaseSpan reading(view, RunPhase::kBackupRead);
  if (!backup_steps::BackUpButtonConfig(device, run)) {
    view.SetStatus(L"Backup button config failed!");
    return UpgradeResult::kFailed;
  }
  if (!backup_steps::BackUpGlobalConfig(device, run)) {
    view.SetStatus(L"Backup global config failed!");
    return UpgradeResult::kFailed;
  }
  reading.End();
  RecordBefore(view, run.Global().block);
  // The transfer erases the controller's own copy: without one on disk, a cut transfer or a
  // closed program would lose the user's configuration for good.
  switch (backup_steps::SaveCopies(context, run, true, true)) {
    case backup_steps::SaveResult::kSaved:
      break;
    case backup_steps::SaveResult::kNotSaved:
      return UpgradeResult::kBackupNotSaved;
    case backup_steps::SaveResult::kNoNumberLeft:
      return UpgradeResult::kNoBackupNumberLeft;
  }
  // A saved backup still pending holds the user's configuration: what was just read is what
  // the controller held since, and goes back only where no such backup has a block.
  plan = ChooseWriteBack(context.backups, run);
  SayWhereFrom(view, plan);
  return TransferAndRestore(device, context, view, image, startMs, plan);
}

}  // namespace upgrade_steps

// The worker body of Update. `firmwarePath` is the worker's own copy of the path; `run` is
// the front end's state of this run. Returns where the upgrade ended.
template <typename Device>
UpgradeResult UpgradeSequence(Device& device, const RunContext& context, SequenceView& view,
                              RunState& run, const std::filesystem::path& firmwarePath) {
  return upgrade_steps::RunUpgradeSequence(
      device, context, view, SequenceKind::kUpgrade, [&](RestorePlan& plan) {
        return upgrade_steps::RunUpgrade(device, context, view, run, firmwarePath, plan);
      });
}
