// How the update sequences end: their outcomes and the tail that every upgrade runs.
#include "workflows/SequenceEnd.h"

#include "frontends/window/resource.h"
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

// Nothing reached the controller, so there is nothing to recover from: the window stays as
// it is.
void ShowRefusal(SequenceView& view, const wchar_t* text) {
  view.SetStatus(text);
  view.ShowOutcome(text, L"error", MessageIcon::kError);
}

// The outcomes both upgrades show alike; false for a failed transfer, which they do not.
bool ShowCommonOutcome(SequenceView& view, UpgradeResult& result,
                       const RestoreAgain& restoreAgain) {
  switch (result) {
    case UpgradeResult::kPowerSwitchUnavailable:
      ShowRefusal(view, L"Power switch unavailable!");
      return true;
    case UpgradeResult::kBatteryLow:
      ShowRefusal(view, kBatteryLowStatus);
      return true;
    case UpgradeResult::kImageUnreadable:
      ShowRefusal(view, L"Read firmware file failed!");
      return true;
    case UpgradeResult::kBackupNotSaved:
      ShowRefusal(view, kBackupNotSaved);
      return true;
    case UpgradeResult::kFailed:
      return false;
    case UpgradeResult::kRestoreFailed:
    case UpgradeResult::kSucceeded:
      result = ShowSuccess(view, result, restoreAgain);
      return true;
  }
  return true;
}

}  // namespace

UpgradeResult ShowUpgradeOutcome(SequenceView& view, UpgradeResult result,
                                 const RestoreAgain& restoreAgain) {
  if (ShowCommonOutcome(view, result, restoreAgain)) {
    return result;
  }
  view.GrowToFullAndCenter();
  view.EnableControl(IDC_INITIALIZE, true);
  ShowFailure(view);
  return result;
}

UpgradeResult ShowForcedUpgradeOutcome(SequenceView& view, UpgradeResult result,
                                       const RestoreAgain& restoreAgain) {
  if (result == UpgradeResult::kSucceeded || result == UpgradeResult::kRestoreFailed) {
    // Off while the box is up; the tail gives it back.
    view.EnableControl(IDC_FORCE_UPDATE, false);
  }
  if (!ShowCommonOutcome(view, result, restoreAgain)) {
    ShowFailure(view);
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

void FinishUpgrade(SequenceView& view, uint16_t startId) {
  view.ClearBusy();
  view.EnableControl(IDC_SELECT, true);
  view.EnableControl(IDC_REFRESH, true);
  view.EnableControl(startId, true);
  view.PostRefresh();
}
