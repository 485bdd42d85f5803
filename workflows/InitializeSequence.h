// Initialize, the first half of the recovery path: while the user holds HOME, back up what
// the controller still gives, power-cycle it, then wait up to about 15 seconds for its boot
// loader to show up, and make Force update available when it does.
#pragma once

#include "device/CommandReport.h"
#include "platform/Clock.h"
#include "ui/resource.h"
#include "workflows/BackupBuffers.h"
#include "workflows/SequenceSteps.h"
#include "workflows/SequenceView.h"

namespace initialize_steps {

inline constexpr uint32_t kBackupOpenMs = 1000;
inline constexpr unsigned kBootLoaderPolls = 15;
inline constexpr uint32_t kPollIntervalMs = 1000;

// Backs up both blocks, each on its own: a block that cannot be read leaves its flag false
// and the sequence goes on.
template <typename Device>
void BackUpWhatAnswers(Device& device, SequenceView& view) {
  view.SetButtonConfigBackedUp(false);
  view.SetGlobalConfigBackedUp(false);
  view.SetStatus(L"Backup config.....");
  if (device.ReadButtonConfig(savedButtonConfig.data(), kBackupOpenMs)) {
    view.SetButtonConfigBackedUp(true);
  } else {
    view.SetStatus(L"Backup button config failed!");
  }
  if (device.ReadGlobalConfig(savedGlobalConfig.data(), kGlobalConfigSize, kBackupOpenMs)) {
    view.SetGlobalConfigBackedUp(true);
  } else {
    view.SetStatus(L"Backup global config failed!");
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

// The worker body of Initialize. `makeScanner` makes the transport that only looks for the
// boot loader (never opening it, never taking the device's lock); it lives for the sequence.
template <typename Device, typename MakeScanner>
void InitializeSequence(Device& device, SequenceView& view, MakeScanner makeScanner) {
  auto awake = view.KeepAwake();
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
      break;
    case initialize_steps::WaitResult::kTimedOut:
      // Let the user try again (hold HOME, press Initialize) instead of being stuck.
      view.EnableControl(IDC_INITIALIZE, true);
      break;
    case initialize_steps::WaitResult::kClosing:
      break;
  }
}
