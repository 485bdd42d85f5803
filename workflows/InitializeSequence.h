// Initialize, the first half of the recovery path: while the user holds HOME, back up what
// the controller still gives, power-cycle it, then wait up to about 15 seconds for its boot
// loader to show up, and make Force update available when it does.
#pragma once

#include "device/CommandReport.h"
#include "frontends/window/resource.h"
#include "platform/Clock.h"
#include "platform/PowerSource.h"
#include "platform/PowerSwitch.h"
#include "workflows/BackupSteps.h"
#include "workflows/SequenceSteps.h"
#include "workflows/SequenceView.h"

namespace initialize_steps {

inline constexpr unsigned kBootLoaderPolls = 15;
inline constexpr uint32_t kPollIntervalMs = 1000;

// Backs up both blocks, each on its own, and keeps what it read on disk. A block that cannot
// be read keeps the copy (and flag) that an earlier backup of this run left, so a controller
// that has lost its configuration never replaces the user's; the sequence goes on either
// way, also when the copy cannot be saved: it is the way back for a controller in trouble.
template <typename Device>
void BackUpWhatAnswers(Device& device, SequenceView& view) {
  view.SetStatus(L"Backup config.....");
  const bool buttons = backup_steps::BackUpButtonConfig(device, view);
  if (!buttons) {
    view.SetStatus(L"Backup button config failed!");
  }
  const bool global = backup_steps::BackUpGlobalConfig(device, view);
  if (!global) {
    view.SetStatus(L"Backup global config failed!");
  }
  if ((buttons || global) && !backup_steps::SaveCopies(global, buttons)) {
    view.SetStatus(kBackupNotSaved);
  }
}

enum class WaitResult { kFound, kTimedOut, kClosing };

// Scans once a second, at most 15 times, for the boot loader. Gives up early when the window
// begins to close.
template <typename Scanner>
WaitResult WaitForBootLoader(Scanner& scanner, SequenceView& view) {
  unsigned polls = kBootLoaderPolls;
  do {
    SleepMs(kPollIntervalMs);
    if (view.CloseRequested()) {
      return WaitResult::kClosing;
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
  kBootLoaderFound,         // Force update is offered
  kTimedOut,                // no boot loader within the 15 scans; Initialize is offered again
  kClosing,                 // the window began to close during the wait
  kPowerSwitchUnavailable,  // the power byte could not be reached: nothing was done
  kBatteryLow,              // the machine runs on a low battery: nothing was done
};

namespace initialize_steps {

// Ends Initialize before it has touched anything, offering it again. The window is free
// before the button comes back, so that a press on it is never ignored.
inline InitializeResult Refuse(SequenceView& view, const wchar_t* status, InitializeResult result) {
  view.SetStatus(status);
  view.ClearBusy();
  view.EnableControl(IDC_INITIALIZE, true);
  return result;
}

}  // namespace initialize_steps

// The worker body of Initialize. `makeScanner` makes the transport that only looks for the
// boot loader (never opening it, never taking the device's lock); it lives for the sequence.
template <typename Device, typename MakeScanner>
InitializeResult InitializeSequence(Device& device, SequenceView& view, MakeScanner makeScanner) {
  auto awake = view.KeepAwake();
  // Without the power cycle there is no way into the boot loader, and on a low battery the
  // controller may be left there: touch nothing.
  if (!PowerSwitchUsable()) {
    return initialize_steps::Refuse(view, L"Power switch unavailable!",
                                    InitializeResult::kPowerSwitchUnavailable);
  }
  if (!BatteryAllowsUpdate()) {
    return initialize_steps::Refuse(view, kBatteryLowStatus, InitializeResult::kBatteryLow);
  }
  auto scanner = makeScanner();
  initialize_steps::BackUpWhatAnswers(device, view);
  PowerCycleController(view);
  // From here the window takes other commands again; this thread only scans and, at the end,
  // touches the status line and the two recovery buttons.
  view.ClearBusy();
  view.SetStatus(L"Please release the HOME button");
  switch (initialize_steps::WaitForBootLoader(scanner, view)) {
    case initialize_steps::WaitResult::kFound:
      view.EnableControl(IDC_FORCE_UPDATE, true);
      view.SetStatus(L"Initialize ok\uFF0CYou can force an upgrade now\uFF01");
      return InitializeResult::kBootLoaderFound;
    case initialize_steps::WaitResult::kTimedOut:
      // Let the user try again (hold HOME, press Initialize) instead of being stuck.
      view.EnableControl(IDC_INITIALIZE, true);
      return InitializeResult::kTimedOut;
    case initialize_steps::WaitResult::kClosing:
      break;
  }
  return InitializeResult::kClosing;
}
