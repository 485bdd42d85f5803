// How the update sequences end: their outcomes and the tail that every upgrade runs.
#pragma once

#include <cstdint>
#include <functional>

#include "workflows/SequenceView.h"

// Where the steps of an upgrade ended.
enum class UpgradeResult {
  kPowerSwitchUnavailable,  // the power byte could not be reached: nothing was sent
  kBatteryLow,              // the machine runs on a low battery: nothing was sent
  kImageUnreadable,         // the image could not be read or was empty: nothing was sent
  kBackupNotSaved,          // the configuration read could not be kept on disk: nothing sent
  kFailed,                  // a backup or the transfer failed
  kRestoreFailed,           // the image was transferred, but the saved configuration did not
                            // all go back (a restore write, the version read or the mode)
  kSucceeded,               // the image was transferred and everything saved went back
};

// The outcome box of a transfer whose restore failed: still a success, but the user must
// know that the configuration is not on the controller.
inline constexpr wchar_t kRestoreFailedOutcome[] =
    L"Upgrade success\n\nThe saved configuration could not be restored.";
// The same when no firmware was sent, only a saved backup written back.
inline constexpr wchar_t kRestoreOnlyFailedOutcome[] =
    L"The saved configuration could not be restored.";
inline constexpr wchar_t kConfigurationRestored[] = L"Configuration restored";
// What a backup that cannot be kept on disk shows: Update stops, Initialize goes on.
inline constexpr wchar_t kBackupNotSaved[] = L"Could not save the configuration backup!";

// Writes the saved configuration back once more (no transfer, no power cycle); true when
// all of it went back.
using RestoreAgain = std::function<bool()>;

// Outcome of the normal upgrade. A failure grows the window to show the force-update group
// and enables Initialize. A restore that failed is offered again (Retry) as often as the
// user asks; returns the result as it finally stands.
UpgradeResult ShowUpgradeOutcome(SequenceView& view, UpgradeResult result,
                                 const RestoreAgain& restoreAgain);
// Outcome of the forced upgrade: the window is left as it is.
UpgradeResult ShowForcedUpgradeOutcome(SequenceView& view, UpgradeResult result,
                                       const RestoreAgain& restoreAgain);
// Outcome of writing a saved backup back alone: "Configuration restored", or the offer to
// try again. True when it went back.
bool ShowRestoreOutcome(SequenceView& view, bool restored, const RestoreAgain& restoreAgain);
// The tail of both upgrades: the window is free again, the buttons that the sequence
// disabled are enabled, and the version line is read again.
void FinishUpgrade(SequenceView& view, uint16_t startId);
