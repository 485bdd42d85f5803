// The forced upgrade that Force update starts on a worker thread once Initialize has found
// the boot loader: the transfer without a backup, restoring for each block the newest
// pending saved backup that holds it, else the complete copy that this run of the tool holds
// (from Initialize, or from an Update whose transfer failed), else the newest saved backup
// on disk that holds it (from an earlier run).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "workflows/RunState.h"
#include "workflows/UpgradeSteps.h"

namespace upgrade_steps {

template <typename Device>
UpgradeResult RunForcedUpgrade(Device& device, const RunContext& context, SequenceView& view,
                               const RunState& run, const std::filesystem::path& firmwarePath,
                               RestorePlan& plan) {
  FirmwareImage image;
  uint32_t startMs = 0;
  if (std::optional<UpgradeResult> refusal =
          PrepareUpgrade(context, view, image, firmwarePath, startMs)) {
    return *refusal;
  }
  plan = ChooseWriteBack(context.backups, run);
  SayWhereFrom(view, plan);
  return TransferAndRestore(device, context, view, image, startMs, plan);
}

}  // namespace upgrade_steps

// The worker body of Force update. Returns where the upgrade ended.
template <typename Device>
UpgradeResult ForceUpgradeSequence(Device& device, const RunContext& context, SequenceView& view,
                                   const RunState& run, const std::filesystem::path& firmwarePath) {
  return upgrade_steps::RunUpgradeSequence(
      device, context, view, SequenceKind::kForcedUpgrade, [&](RestorePlan& plan) {
        return upgrade_steps::RunForcedUpgrade(device, context, view, run, firmwarePath, plan);
      });
}
