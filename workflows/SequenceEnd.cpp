// How the update sequences end: their outcomes.
#include "workflows/SequenceEnd.h"

#include "platform/PowerState.h"
#include "workflows/backups/BackupFormat.h"
#include "workflows/KeptController.h"
#include "workflows/SequenceOutcome.h"

namespace {

// A failed restore as offered again, with who keeps the controller when another program
// does: the restore could not open it then, and a Retry needs it let go.
SequenceOutcome RestoreWarning(const RunContext& context, const std::wstring& said,
                               const std::wstring& more) {
  return SequenceOutcome::RestoreFailed(said, more, context.FindControllerBlock());
}

// A restore that failed is offered again until it works or the user cancels. True when the
// configuration went back in the end.
bool OfferRestoreUntilDone(const RunContext& context, SequenceView& view,
                           const std::wstring& status, const std::wstring& more,
                           const RestoreAgain& restoreAgain) {
  while (view.OfferRetry(RestoreWarning(context, status, more))) {
    if (restoreAgain()) {
      return true;
    }
    view.SetStatus(status);
  }
  return false;
}

UpgradeResult ShowSuccess(const RunContext& context, SequenceView& view, UpgradeResult result,
                          const RestoreAgain& restoreAgain) {
  view.SetStatus(kUpgradeSuccess);
  if (result == UpgradeResult::kRestoreFailed) {
    if (!OfferRestoreUntilDone(context, view, kUpgradeSuccess, kRestoreOnlyFailedOutcome,
                               restoreAgain)) {
      return result;  // its saved backup stays pending: offered again at the next start
    }
    view.SetStatus(kUpgradeSuccess);
  }
  view.ShowOutcome(SequenceOutcome::Succeeded(kUpgradeSuccess));
  return UpgradeResult::kSucceeded;
}

void ShowFailure(SequenceView& view) {
  view.SetStatus(L"Upgrade failed!");
  view.ShowOutcome(SequenceOutcome::Failed(L"Upgrade failed!"));
}

// Nothing reached the controller, so there is nothing to recover from. The box may say more
// than the status line has room for.
void ShowRefusal(SequenceView& view, const std::wstring& status,
                 const std::wstring& more = std::wstring()) {
  view.SetStatus(status);
  view.ShowOutcome(SequenceOutcome::Failed(status, more));
}

// Another program keeps the controller: nothing was sent, and once it lets go, a Refresh
// finds the controller again.
void ShowKeptRefusal(SequenceView& view, ControllerBlock block) {
  const SequenceOutcome outcome = SequenceOutcome::ControllerKept(block);
  view.SetKeptStatus(outcome.kept);
  view.ShowOutcome(outcome);
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
      ShowKeptRefusal(view, ControllerBlock::kHiddenByHidHide);
      break;
    case UpgradeResult::kControllerHeld:
      ShowKeptRefusal(view, ControllerBlock::kHeldByAnotherProgram);
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
      view.ShowOutcome(SequenceOutcome::Failed(kBackupNotSaved));
      break;
    case UpgradeResult::kNoBackupNumberLeft:
      ShowRefusal(view, BackupNotSavedStatus(context.backups, true));
      break;
    case UpgradeResult::kPendingNotMarked:
      ShowRefusal(view, PendingNotMarkedStatus(markFailure), kPendingNotMarkedMore);
      break;
    case UpgradeResult::kFailed:
      if (kind == SequenceKind::kUpgrade) {
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
    if (!OfferRestoreUntilDone(context, view, kRestoreOnlyFailedOutcome, std::wstring(),
                               restoreAgain)) {
      return false;
    }
  }
  view.SetStatus(kConfigurationRestored);
  view.ShowOutcome(SequenceOutcome::Succeeded(kConfigurationRestored));
  return true;
}
