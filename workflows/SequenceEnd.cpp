// How the update sequences end: their outcomes.
#include "workflows/SequenceEnd.h"

#include "platform/PowerState.h"

namespace {

// A restore that failed is offered again until it works or the user cancels. True when the
// configuration went back in the end.
bool OfferRestoreUntilDone(SequenceView& view, const std::wstring& status,
                           const std::wstring& warning, const RestoreAgain& restoreAgain) {
  while (view.OfferRetry(warning, L"warn")) {
    if (restoreAgain()) {
      return true;
    }
    view.SetStatus(status);
  }
  return false;
}

UpgradeResult ShowSuccess(SequenceView& view, UpgradeResult result,
                          const RestoreAgain& restoreAgain) {
  view.SetStatus(L"Upgrade success");
  if (result == UpgradeResult::kRestoreFailed) {
    if (!OfferRestoreUntilDone(view, L"Upgrade success", kRestoreFailedOutcome, restoreAgain)) {
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

// Nothing reached the controller, so there is nothing to recover from.
void ShowRefusal(SequenceView& view, const wchar_t* text) {
  view.SetStatus(text);
  view.ShowOutcome(text, L"error", MessageIcon::kError);
}

}  // namespace

UpgradeResult ShowUpgradeOutcome(SequenceView& view, SequenceKind kind, UpgradeResult result,
                                 const RestoreAgain& restoreAgain) {
  switch (result) {
    case UpgradeResult::kPowerSwitchUnavailable:
      ShowRefusal(view, L"Power switch unavailable!");
      break;
    case UpgradeResult::kBatteryLow:
      ShowRefusal(view, kBatteryLowStatus);
      break;
    case UpgradeResult::kImageUnreadable:
      ShowRefusal(view, L"Read firmware file failed!");
      break;
    case UpgradeResult::kBackupNotSaved:
      ShowRefusal(view, kBackupNotSaved);
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
      return ShowSuccess(view, result, restoreAgain);
  }
  return result;
}

bool ShowRestoreOutcome(SequenceView& view, bool restored, const RestoreAgain& restoreAgain) {
  if (!restored) {
    view.SetStatus(kRestoreOnlyFailedOutcome);
    if (!OfferRestoreUntilDone(view, kRestoreOnlyFailedOutcome, kRestoreOnlyFailedOutcome,
                               restoreAgain)) {
      return false;
    }
  }
  view.SetStatus(kConfigurationRestored);
  view.ShowOutcome(kConfigurationRestored, L"info", MessageIcon::kInformation);
  return true;
}
