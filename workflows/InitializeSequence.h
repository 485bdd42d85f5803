// Initialize, the first half of the recovery path: while the user holds HOME, back up what
// the controller still gives, power-cycle it, then wait up to about 15 seconds for its boot
// loader to show up, and say when it does (the window then offers Force update).
#pragma once

#include "device/CommandReport.h"
#include "platform/PowerSwitch.h"
#include "workflows/BackupSteps.h"
#include "workflows/KeptController.h"
#include "workflows/RunContext.h"
#include "workflows/SequenceOutcome.h"
#include "workflows/RunState.h"
#include "workflows/SequenceFrame.h"
#include "workflows/SequenceSteps.h"
#include "workflows/SequenceView.h"

namespace initialize_steps {

inline constexpr unsigned kBootLoaderPolls = 15;
inline constexpr uint32_t kPollIntervalMs = 1000;

// Backs up both blocks, each on its own, and keeps what it read on disk. A block that cannot
// be read keeps the copy that an earlier backup of this run left, so a controller that has
// lost its configuration never replaces the user's; the sequence goes on either way, also
// when the copy cannot be saved: it is the way back for a controller in trouble.
template <typename Device>
void BackUpWhatAnswers(Device& device, const RunContext& context, SequenceView& view,
                       RunState& run) {
  view.SetStatus(L"Backup config.....");
  PhaseSpan reading(view, RunPhase::kBackupRead);
  const bool buttons = backup_steps::BackUpButtonConfig(device, run);
  if (!buttons) {
    view.SetStatus(L"Backup button config failed!");
  }
  const bool global = backup_steps::BackUpGlobalConfig(device, run);
  if (!global) {
    view.SetStatus(L"Backup global config failed!");
  }
  reading.End();
  if (global) {
    RecordBefore(view, run.Global().block);
  }
  if (buttons || global) {
    const backup_steps::SaveResult saved = backup_steps::SaveCopies(context, run, global, buttons);
    if (saved != backup_steps::SaveResult::kSaved) {
      view.SetStatus(
          BackupNotSavedStatus(context.backups, saved == backup_steps::SaveResult::kNoNumberLeft));
    }
  }
}

enum class WaitResult { kFound, kTimedOut, kStopped };

// Scans once a second, at most 15 times, for the boot loader. Gives up early when the front
// end asks the sequence to stop.
template <typename Scanner>
WaitResult WaitForBootLoader(Clock& clock, Scanner& scanner, SequenceView& view) {
  PhaseSpan phase(view, RunPhase::kBootLoaderWait);
  unsigned polls = kBootLoaderPolls;
  do {
    clock.SleepMs(kPollIntervalMs);
    if (view.StopRequested()) {
      return WaitResult::kStopped;
    }
    --polls;
    if (scanner.IsPresent(kBootLoaderVid, kBootLoaderPid)) {
      return WaitResult::kFound;
    }
  } while (polls > 0);
  return WaitResult::kTimedOut;
}

}  // namespace initialize_steps

// Where Initialize ended.
enum class InitializeResult {
  kBootLoaderFound,         // the forced upgrade can run
  kTimedOut,                // no boot loader within the 15 scans; Initialize may be tried again
  kStopped,                 // the front end asked the sequence to stop during the wait
  kPowerSwitchUnavailable,  // the power byte could not be reached: nothing was done
  kBatteryLow,              // the machine runs on a low battery: nothing was done
  kControllerHidden,        // listed, but HidHide hides it from this program: nothing was done
  kControllerHeld,          // listed, but another program holds it: nothing was done
};

namespace initialize_steps {

// Everything from the checks to the end of the wait. Without the power cycle there is no way
// into the boot loader, and on a low battery the controller may be left there: then nothing
// is touched; nor while another program keeps the controller, which the backup could not
// read. After the power cycle the flash is over: from then on this only scans.
template <typename Device, typename MakeScanner>
InitializeResult Run(Device& device, const RunContext& context, SequenceView& view, RunState& run,
                     MakeScanner& makeScanner) {
  if (!PowerSwitchUsable(context.memory)) {
    view.SetStatus(L"Power switch unavailable!");
    return InitializeResult::kPowerSwitchUnavailable;
  }
  if (!context.BatteryAllowsUpgrade()) {
    view.SetStatus(kBatteryLowStatus);
    return InitializeResult::kBatteryLow;
  }
  if (const ControllerBlock block = context.FindControllerBlock();
      block != ControllerBlock::kNone) {
    view.SetKeptStatus(KeptController{block, KeptWayBack::kRefresh});
    return block == ControllerBlock::kHiddenByHidHide ? InitializeResult::kControllerHidden
                                                      : InitializeResult::kControllerHeld;
  }
  auto scanner = makeScanner();
  BackUpWhatAnswers(device, context, view, run);
  PowerCycleController(context, view);
  view.Notify(SequenceEvent::kFlashEnds);
  view.SetStatus(L"Please release the HOME button");
  switch (WaitForBootLoader(context.clock, scanner, view)) {
    case WaitResult::kFound:
      view.Notify(SequenceEvent::kBootLoaderFound);
      view.SetStatus(L"Initialize ok\uFF0CYou can force an upgrade now\uFF01");
      return InitializeResult::kBootLoaderFound;
    case WaitResult::kTimedOut:
      return InitializeResult::kTimedOut;
    case WaitResult::kStopped:
      break;
  }
  return InitializeResult::kStopped;
}

// Ends the run's record: a boot loader found is a success, a wait cut short a cancel.
inline void EndInitializeRun(SequenceView& view, InitializeResult result) {
  switch (result) {
    case InitializeResult::kBootLoaderFound:
      EndRun(view, RunOutcome::kSucceeded);
      return;
    case InitializeResult::kStopped:
      EndRun(view, RunOutcome::kCancelled);
      return;
    case InitializeResult::kTimedOut:
      EndRun(view, RunOutcome::kFailed);
      return;
    case InitializeResult::kPowerSwitchUnavailable:
      EndRun(view, RunOutcome::kFailed, RunStep::kPowerSwitch);
      return;
    case InitializeResult::kBatteryLow:
      EndRun(view, RunOutcome::kFailed, RunStep::kBattery);
      return;
    case InitializeResult::kControllerHidden:
    case InitializeResult::kControllerHeld:
      EndRun(view, RunOutcome::kFailed, RunStep::kControllerKept);
      return;
  }
}

}  // namespace initialize_steps

// The worker body of Initialize. `makeScanner` makes the transport that only looks for the
// boot loader (never opening it, never taking the device's lock); it lives for the sequence.
template <typename Device, typename MakeScanner>
InitializeResult InitializeSequence(Device& device, const RunContext& context, SequenceView& view,
                                    RunState& run, MakeScanner makeScanner) {
  return RunSequence(
      view, SequenceKind::kInitialize,
      [&] { return initialize_steps::Run(device, context, view, run, makeScanner); },
      [&](InitializeResult result) {
        initialize_steps::EndInitializeRun(view, result);
        if (result == InitializeResult::kControllerHidden ||
            result == InitializeResult::kControllerHeld) {
          // Said in a box as well: the user may not be watching the status line.
          const ControllerBlock block = result == InitializeResult::kControllerHidden
                                            ? ControllerBlock::kHiddenByHidHide
                                            : ControllerBlock::kHeldByAnotherProgram;
          view.ShowOutcome(SequenceOutcome::ControllerKept(block));
        }
        return result;
      });
}
