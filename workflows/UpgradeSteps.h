// The device steps that the normal and the forced upgrade share: the transfer, the power
// cycle, the restore of what was backed up, and the mode of the new firmware. Written over
// any device type with the controller link's operations.
#pragma once

#include <cstdint>

#include "device/ConfigBlocks.h"
#include "platform/FirmwareImage.h"
#include "platform/FormatString.h"
#include "workflows/BackupSteps.h"
#include "workflows/DeviceWork.h"
#include "workflows/ProgressDisplay.h"
#include "workflows/RunContext.h"
#include "workflows/backups/RestorePlan.h"
#include "workflows/RunRecording.h"
#include "workflows/SequenceEnd.h"
#include "workflows/SequenceFrame.h"
#include "workflows/SequenceSteps.h"
#include "workflows/SequenceView.h"

namespace upgrade_steps {

// Open time-outs of the commands, and the longest wait for the boot loader.
inline constexpr uint32_t kRestoreOpenMs = 10000;
inline constexpr uint32_t kVersionOpenMs = 100;
inline constexpr uint32_t kSaveOpenMs = 100;
inline constexpr uint32_t kModeOpenMs = 1000;
inline constexpr int kBootLoaderWaitMs = 10000;
// The new firmware takes back the saved mode from this version on.
inline constexpr uint8_t kFirstVersionWithMode = 3;
// A restore write that is not answered is sent again (the controller opened afresh) before
// the restore counts as failed: one lost reply must not cost the user's configuration.
inline constexpr int kRestoreWriteTries = 3;

template <typename Write>
bool WriteWithRetries(Write write) {
  for (int attempt = 0; attempt < kRestoreWriteTries; ++attempt) {
    if (write()) {
      return true;
    }
  }
  return false;
}

// Reads the running firmware's version and has the controller store its configuration; from
// version 3 on, gives it back the mode of the global copy restored, when there is one. A
// failed version read ends the steps: without a version there is nothing to decide the mode
// by. True when every step that ran succeeded (the save's answer is not needed).
template <typename Device>
bool RestoreMode(Device& device, const RunContext& context, SequenceView& view,
                 const RestorePlan& plan) {
  PhaseSpan phase(view, RunPhase::kVersionAndMode);
  view.SetStatus(L"Get current version...");
  GlobalConfig running{};
  if (!device.ReadGlobalConfig(running.data(), kGlobalConfigSize, kVersionOpenMs)) {
    return false;
  }
  RecordAfter(view, {FirmwareVersion(running), ControllerMode(running)});
  view.SetStatus(L"Save config...");
  device.SaveConfig(kSaveOpenMs);  // a controller that did not answer still runs; go on
  // Without a global copy there is no mode the user ever had.
  if (FirmwareVersion(running) < kFirstVersionWithMode || !plan.global) {
    return true;
  }
  uint8_t mode = ControllerMode(*plan.global);
  view.SetStatus(FormatString(L"Recovery mode: %d", static_cast<int>(mode)));
  context.clock.SleepMs(1000);
  if (!WriteWithRetries([&] { return device.SetMode(mode, kModeOpenMs); })) {
    view.SetStatus(L"Recovery mode failed!");
    return false;
  }
  RecordAfter(view, {FirmwareVersion(running), mode});
  view.SetStatus(L"Recovery mode ok");
  return true;
}

// Writes back the blocks of the plan, global block first, then restores the mode. A block
// that cannot be written ends the steps there. True when all of it went back.
template <typename Device>
bool RestoreConfiguration(Device& device, const RunContext& context, SequenceView& view,
                          const RestorePlan& plan) {
  view.Notify(SequenceEvent::kFlashBegins);
  view.SetStatus(L"Recovery config.....");
  // Until the first write opens the controller, the restore waits for it to come back.
  PhaseSpan returning(view, RunPhase::kControllerReturn);
  const uint32_t opensBefore = device.OpenCount();
  bool returned = false;
  const auto noteReturn = [&] {
    if (!returned && device.OpenCount() != opensBefore) {
      returned = true;
      NextPhaseFrom(view, RunPhase::kRestore, device.LastOpenedMs());
    }
  };
  if (plan.global) {
    view.SetStatus(L"Recovery global config...");
    if (!WriteWithRetries([&] {
          const bool written =
              device.WriteGlobalConfig(plan.global->data(), kGlobalConfigSize, kRestoreOpenMs);
          noteReturn();
          return written;
        })) {
      view.SetStatus(L"Recovery global failed");
      return false;
    }
    view.SetStatus(L"Recovery global ok");
  }
  if (plan.buttons) {
    view.SetStatus(L"Recovery button config...");
    if (!WriteWithRetries([&] {
          const bool written = device.WriteButtonConfig(plan.buttons->data(), kRestoreOpenMs);
          noteReturn();
          return written;
        })) {
      view.SetStatus(L"Recovery config failed");
      return false;
    }
    view.SetStatus(L"Recovery config ok!");
  }
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->PhaseEnds(RunPhase::kRestore);
  }
  return RestoreMode(device, context, view, plan);
}

// The restore, and what it means for the saved backups: once all of it went back, they no
// longer need to go back. True when all of it went back.
template <typename Device>
bool RestoreAndRecord(Device& device, const RunContext& context, SequenceView& view,
                      const RestorePlan& plan) {
  if (!RestoreConfiguration(device, context, view, plan)) {
    return false;
  }
  MarkBackups(context.backups, plan, BackupState::kWrittenBack);
  RecordWrittenBack(view, plan);
  return true;
}

// The restore once more, for a Retry of the outcome: the device steps held again meanwhile.
template <typename Device>
RestoreAgain RestoreAgainOf(Device& device, const RunContext& context, SequenceView& view,
                            const RestorePlan& plan) {
  return [&device, &context, &view, &plan] {
    DeviceWork again(view);
    const uint32_t startMs = context.clock.NowMs();
    const bool restored = RestoreAndRecord(device, context, view, plan);
    RecordDeviceTime(view, context.clock.NowMs() - startMs);
    return restored;
  };
}

// From the restart into the boot loader on, the flash: sends the image, power-cycles the
// controller and writes back the plan's copies. The first data packet erases the
// controller's own copy, so from then on the plan's saved backups are pending; when they
// cannot be marked so, nothing is sent and the controller is switched off and on to leave
// its boot loader. Once the image
// is across the upgrade has succeeded; a restore that fails only makes that success a warned
// one.
template <typename Device>
UpgradeResult TransferAndRestore(Device& device, const RunContext& context, SequenceView& view,
                                 FirmwareImage& image, const uint32_t& startMs, RestorePlan& plan) {
  view.Notify(SequenceEvent::kFlashBegins);
  view.SetStatus(L"Ready, please wait...");
  uint32_t lastUpdateMs = context.clock.NowMs();
  // The boot loader's wait lasts until it opened; the transfer then runs until the next phase.
  // Without the pending mark a cut transfer would leave the user's backup looking like any
  // other: then nothing is sent at all.
  PhaseSpan waiting(view, RunPhase::kBootLoaderWait);
  bool marked = true;
  const auto transferStarts = [&context, &plan, &view, &marked] {
    NextPhaseFrom(view, RunPhase::kTransfer, context.clock.NowMs());
    marked = MarkBackups(context.backups, plan, BackupState::kPending, &plan.markFailure);
    return marked;
  };
  if (!device.Upgrade(image.data(), image.size(),
                      MakeProgressCallback(context.clock, view, startMs, lastUpdateMs),
                      kBootLoaderWaitMs, transferStarts)) {
    if (marked) {
      return UpgradeResult::kFailed;
    }
    // The boot loader is left by a power cycle: the firmware and its configuration as they were.
    PowerCycleController(context, view);
    return UpgradeResult::kPendingNotMarked;
  }
  PowerCycleController(context, view);
  if (plan.Empty()) {
    return UpgradeResult::kSucceeded;  // nothing was ever read, so nothing is missing
  }
  return RestoreAndRecord(device, context, view, plan) ? UpgradeResult::kSucceeded
                                                       : UpgradeResult::kRestoreFailed;
}

// The worker body of an upgrade of `kind`. `steps(plan)` runs everything from the checks
// before anything is sent to the end of the restore, and fills `plan` with what the restore
// writes back; the image it reads is released when it returns, before the outcome is shown.
template <typename Device, typename Steps>
UpgradeResult RunUpgradeSequence(Device& device, const RunContext& context, SequenceView& view,
                                 SequenceKind kind, Steps steps) {
  RestorePlan plan;
  return RunSequence(
      view, kind, [&] { return steps(plan); },
      [&](UpgradeResult result) {
        const UpgradeResult final =
            ShowUpgradeOutcome(context, view, kind, result,
                               RestoreAgainOf(device, context, view, plan), plan.markFailure);
        EndUpgradeRun(view, final);
        return final;
      });
}

}  // namespace upgrade_steps
