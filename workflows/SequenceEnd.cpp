// How the update sequences end: their outcomes and the tail that every upgrade runs.
#include "workflows/SequenceEnd.h"

#include "ui/resource.h"

namespace {

void ShowSuccess(SequenceView& view) {
  view.SetStatus(L"Upgrade success");
  view.ShowOutcome(L"Upgrade success", L"info", MessageIcon::kInformation);
}

void ShowFailure(SequenceView& view) {
  view.SetStatus(L"Upgrade failed!");
  view.ShowOutcome(L"Upgrade failed!", L"error", MessageIcon::kError);
}

// An image that cannot be read never reaches the controller, so there is nothing to recover
// from: the window stays as it is.
void ShowImageUnreadable(SequenceView& view) {
  view.SetStatus(L"Read firmware file failed!");
  view.ShowOutcome(L"Read firmware file failed!", L"error", MessageIcon::kError);
}

}  // namespace

void ShowUpgradeOutcome(SequenceView& view, UpgradeResult result) {
  switch (result) {
    case UpgradeResult::kSucceeded:
      ShowSuccess(view);
      return;
    case UpgradeResult::kImageUnreadable:
      ShowImageUnreadable(view);
      return;
    case UpgradeResult::kFailed:
      view.GrowToFullAndCenter();
      view.EnableControl(IDC_INITIALIZE, true);
      ShowFailure(view);
      return;
  }
}

void ShowForcedUpgradeOutcome(SequenceView& view, UpgradeResult result) {
  switch (result) {
    case UpgradeResult::kSucceeded:
      view.EnableControl(IDC_FORCE_UPDATE, false);
      ShowSuccess(view);
      return;
    case UpgradeResult::kImageUnreadable:
      ShowImageUnreadable(view);
      return;
    case UpgradeResult::kFailed:
      ShowFailure(view);
      return;
  }
}

void FinishUpgrade(SequenceView& view, uint16_t startId) {
  view.ClearBusy();
  view.EnableControl(IDC_SELECT, true);
  view.EnableControl(IDC_REFRESH, true);
  view.EnableControl(startId, true);
  view.PostRefresh();
}
