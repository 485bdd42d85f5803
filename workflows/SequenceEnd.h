// How the update sequences end: their outcomes.
#pragma once

#include <functional>

#include "platform/BackupFolder.h"
#include "workflows/RunContext.h"
#include "workflows/SequenceView.h"

// Where the steps of an upgrade ended.
enum class UpgradeResult {
  kPowerSwitchUnavailable,  // the power byte could not be reached: nothing was sent
  kBatteryLow,              // the machine runs on a low battery: nothing was sent
  kImageUnreadable,         // the image could not be read or was empty: nothing was sent
  kBackupNotSaved,          // the configuration read could not be kept on disk: nothing sent
  kNoBackupNumberLeft,      // a saved backup carries the largest number: nothing sent
  kPendingNotMarked,        // its backup could not be marked pending: stopped in the boot
                            // loader before the first data packet, so nothing was changed
  kControllerHidden,        // listed, but HidHide hides it from this program: nothing sent
  kControllerHeld,          // listed, but another program holds it: nothing sent
  kFailed,                  // a backup or the transfer failed
  kRestoreFailed,           // the image was transferred, but the saved configuration did not
                            // all go back (a restore write, the version read or the mode)
  kSucceeded,               // the image was transferred and everything saved went back
};

inline constexpr wchar_t kUpgradeSuccess[] = L"Upgrade success";
// The outcome of a transfer whose restore failed, its paragraphs in one text: still a
// success, but the user must know that the configuration is not on the controller.
inline constexpr wchar_t kRestoreFailedOutcome[] =
    L"Upgrade success\n\nThe saved configuration could not be restored.";
// The same when no firmware was sent, only a saved backup written back; and the paragraph
// that the transfer's adds below its success.
inline constexpr wchar_t kRestoreOnlyFailedOutcome[] =
    L"The saved configuration could not be restored.";
inline constexpr wchar_t kConfigurationRestored[] = L"Configuration restored";
// What a backup that cannot be kept on disk shows: Update stops, Initialize goes on.
inline constexpr wchar_t kBackupNotSaved[] = L"Could not save the configuration backup!";
// The same on the status line, with what the backup folder ran into when it says, or that no
// backup number is left.
std::wstring BackupNotSavedStatus(const BackupFolder* folder, bool noNumberLeft = false);
// What a backup that could not be marked pending shows: the status line with the reason; the
// box adds that nothing was changed.
std::wstring PendingNotMarkedStatus(const std::wstring& reason);
inline constexpr wchar_t kPendingNotMarkedMore[] =
    L"The update stopped before the firmware was sent: nothing on the controller was changed.";

// Writes the saved configuration back once more (no transfer, no power cycle); true when
// all of it went back.
using RestoreAgain = std::function<bool()>;

// The outcome of an upgrade of `kind` (Update or Force update). A refusal is said as it is:
// nothing reached the controller; the power switch's adds its probable causes, where the
// platform can tell. A failed normal upgrade asks for the way to the recovery;
// a failed forced upgrade is already on it. A restore that failed is offered again (Retry)
// as often as the user asks, naming who keeps the controller when another program does.
// Returns the result as it finally stands.
// `markFailure`: why the backups could not be marked pending (kPendingNotMarked).
UpgradeResult ShowUpgradeOutcome(const RunContext& context, SequenceView& view, SequenceKind kind,
                                 UpgradeResult result, const RestoreAgain& restoreAgain,
                                 const std::wstring& markFailure = std::wstring());
// Outcome of writing a saved backup back alone: "Configuration restored", or the offer to
// try again. True when it went back.
bool ShowRestoreOutcome(const RunContext& context, SequenceView& view, bool restored,
                        const RestoreAgain& restoreAgain);
