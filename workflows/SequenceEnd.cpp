// How the update sequences end: their outcomes and the tail that every upgrade runs.
#include "workflows/SequenceEnd.h"

#include "platform/PowerState.h"
#include "ui/resource.h"

namespace {

void ShowSuccess(SequenceView& view, UpgradeResult result) {
  view.SetStatus(L"Upgrade success");
  if (result == UpgradeResult::kRestoreFailed) {
    view.ShowOutcome(kRestoreFailedOutcome, L"warn", MessageIcon::kWarning);
  } else {
    view.ShowOutcome(L"Upgrade success", L"info", MessageIcon::kInformation);
  }
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
bool ShowCommonOutcome(SequenceView& view, UpgradeResult result) {
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
    case UpgradeResult::kFailed:
      return false;
    case UpgradeResult::kRestoreFailed:
    case UpgradeResult::kSucceeded:
      ShowSuccess(view, result);
      return true;
  }
  return true;
}

}  // namespace

void ShowUpgradeOutcome(SequenceView& view, UpgradeResult result) {
  if (ShowCommonOutcome(view, result)) {
    return;
  }
  view.GrowToFullAndCenter();
  view.EnableControl(IDC_INITIALIZE, true);
  ShowFailure(view);
}

void ShowForcedUpgradeOutcome(SequenceView& view, UpgradeResult result) {
  if (result == UpgradeResult::kSucceeded || result == UpgradeResult::kRestoreFailed) {
    // Off while the box is up; the tail gives it back.
    view.EnableControl(IDC_FORCE_UPDATE, false);
  }
  if (!ShowCommonOutcome(view, result)) {
    ShowFailure(view);
  }
}

void FinishUpgrade(SequenceView& view, uint16_t startId) {
  view.ClearBusy();
  view.EnableControl(IDC_SELECT, true);
  view.EnableControl(IDC_REFRESH, true);
  view.EnableControl(startId, true);
  view.PostRefresh();
}
