// How the update sequences end: their outcomes.
#include "workflows/SequenceEnd.h"

#include "platform/PowerState.h"
#include "workflows/backups/BackupFormat.h"
#include "workflows/KeptController.h"

namespace {

// The warning of a failed restore, with who keeps the controller when another program does:
// the restore could not open it then, and a Retry needs it let go.
std::wstring RestoreWarning(const RunContext& context, const std::wstring& warning) {
  const std::wstring kept = KeptControllerText(context.FindControllerBlock(), L"Retry");
  return kept.empty() ? warning : warning + L"\n\n" + kept;
}

// A restore that failed is offered again until it works or the user cancels. True when the
// configuration went back in the end.
bool OfferRestoreUntilDone(const RunContext& context, SequenceView& view,
                           const std::wstring& status, const std::wstring& warning,
                           const RestoreAgain& restoreAgain) {
  while (view.OfferRetry(RestoreWarning(context, warning), L"warn")) {
    if (restoreAgain()) {
      return true;
    }
    view.SetStatus(status);
  }
  return false;
}

UpgradeResult ShowSuccess(const RunContext& context, SequenceView& view, UpgradeResult result,
                          const RestoreAgain& restoreAgain) {
  view.SetStatus(L"Upgrade success");
  if (result == UpgradeResult::kRestoreFailed) {
    if (!OfferRestoreUntilDone(context, view, L"Upgrade success", kRestoreFailedOutcome,
                               restoreAgain)) {
      return result;  // its saved backup stays pending: offered again at the next start
    }
    view.SetStatus(L"Upgrade success");
  }
  view.ShowOutcome(L"Upgrade success", L"info", MessageIcon::kInformation);
  return UpgradeResult::kSucceeded;
}

void ShowFailure(SequenceView& view) {
  view.SetStatus(L"Upgrade failed!");
  view.ShowOutcome(L"Upgrade failed!", L"error", MessageIcon::kError);
}

// Nothing reached the controller, so there is nothing to recover from. The box may say more
// than the status line has room for.
void ShowRefusal(SequenceView& view, const std::wstring& status,
                 const std::wstring& more = std::wstring()) {
  view.SetStatus(status);
  view.ShowOutcome(more.empty() ? status : status + L"\n\n" + more, L"error", MessageIcon::kError);
}

}  // namespace

std::wstring BackupNotSavedStatus(const BackupFolder* folder, bool noNumberLeft) {
  const std::wstring reason =
      noNumberLeft ? L"no backup number is left: a saved backup carries the largest, " +
                         std::to_wstring(kLargestSequence) + L"; move it out of the folder"
      : folder != nullptr ? folder->FailureText()
                          : std::wstring();
  return reason.empty() ? std::wstring(kBackupNotSaved)
                        : std::wstring(kBackupNotSaved) + L" (" + reason + L")";
}

std::wstring PendingNotMarkedStatus(const std::wstring& reason) {
  const std::wstring status = L"Could not mark the configuration backup pending!";
  return reason.empty() ? status : status + L" (" + reason + L")";
}

UpgradeResult ShowUpgradeOutcome(const RunContext& context, SequenceView& view, SequenceKind kind,
                                 UpgradeResult result, const RestoreAgain& restoreAgain,
                                 const std::wstring& markFailure) {
  switch (result) {
    case UpgradeResult::kPowerSwitchUnavailable:
      // Why is read now, at the refusal: the user may have changed a setting since.
      ShowRefusal(view, L"Power switch unavailable!", context.PowerSwitchAdvice());
      break;
    case UpgradeResult::kControllerHidden:
      ShowRefusal(view, KeptControllerText(ControllerBlock::kHiddenByHidHide, L"Refresh"));
      break;
    case UpgradeResult::kControllerHeld:
      ShowRefusal(view, KeptControllerText(ControllerBlock::kHeldByAnotherProgram, L"Refresh"));
      break;
    case UpgradeResult::kBatteryLow:
      ShowRefusal(view, kBatteryLowStatus);
      break;
    case UpgradeResult::kImageUnreadable:
      ShowRefusal(view, L"Read firmware file failed!");
      break;
    case UpgradeResult::kBackupNotSaved:
      // The box as ever; why on the status line, which stays.
      view.SetStatus(BackupNotSavedStatus(context.backups));
      view.ShowOutcome(kBackupNotSaved, L"error", MessageIcon::kError);
      break;
    case UpgradeResult::kNoBackupNumberLeft:
      ShowRefusal(view, BackupNotSavedStatus(context.backups, true));
      break;
    case UpgradeResult::kPendingNotMarked:
      ShowRefusal(view, PendingNotMarkedStatus(markFailure), kPendingNotMarkedMore);
      break;
    case UpgradeResult::kFailed:
      if (kind == SequenceKind::kUpdate) {
        view.Notify(SequenceEvent::kRecoveryNeeded);
      }
      ShowFailure(view);
      break;
    case UpgradeResult::kRestoreFailed:
    case UpgradeResult::kSucceeded:
      view.Notify(SequenceEvent::kFirmwareInstalled);
      return ShowSuccess(context, view, result, restoreAgain);
  }
  return result;
}

bool ShowRestoreOutcome(const RunContext& context, SequenceView& view, bool restored,
                        const RestoreAgain& restoreAgain) {
  if (!restored) {
    view.SetStatus(kRestoreOnlyFailedOutcome);
    if (!OfferRestoreUntilDone(context, view, kRestoreOnlyFailedOutcome, kRestoreOnlyFailedOutcome,
                               restoreAgain)) {
      return false;
    }
  }
  view.SetStatus(kConfigurationRestored);
  view.ShowOutcome(kConfigurationRestored, L"info", MessageIcon::kInformation);
  return true;
}
