// What the main window does at each event of a sequence (see WindowSequenceView.h).
#include "frontends/window/WindowSequenceView.h"

#include "frontends/window/resource.h"

namespace {

// The button that stands for a sequence: disabled while it runs, given back at its end.
uint16_t StartButton(SequenceKind kind) {
  return kind == SequenceKind::kForcedUpgrade ? IDC_FORCE_UPDATE : IDC_UPDATE;
}

}  // namespace

void WindowSequenceView::SequenceStarted(SequenceKind kind) {
  kind_ = kind;
  freed_ = false;
  found_ = false;
  if (!Upgrade()) {
    return;  // its start handler has disabled Initialize and Force update already
  }
  PlaceMessageBoxes(true);
  EnableControl(IDC_SELECT, false);
  EnableControl(IDC_REFRESH, false);
  EnableControl(StartButton(kind), false);
}

void WindowSequenceView::SequenceEnded(SequenceKind kind) {
  if (!Upgrade()) {
    FreeOnce();
    if (!found_ && !StopRequested()) {
      // Let the user try again (hold HOME, press Initialize) instead of being stuck.
      EnableControl(IDC_INITIALIZE, true);
    }
    return;
  }
  // The placement goes before the window is free again: a next upgrade places its own, and
  // the one hook that the process holds must not be removed under it.
  PlaceMessageBoxes(false);
  FreeOnce();
  EnableControl(IDC_SELECT, true);
  EnableControl(IDC_REFRESH, true);
  EnableControl(StartButton(kind), true);
  PostRefresh();
}

void WindowSequenceView::Notify(SequenceEvent event) {
  switch (event) {
    case SequenceEvent::kDeviceWorkBegins:
      KeepAwake(true, Upgrade());
      break;
    case SequenceEvent::kDeviceWorkEnds:
      KeepAwake(false, Upgrade());
      break;
    case SequenceEvent::kFlashBegins:
      break;
    case SequenceEvent::kFlashEnds:
      if (!Upgrade()) {
        FreeOnce();  // Initialize only scans from here: the window takes other commands
      }
      break;
    case SequenceEvent::kRecoveryNeeded:
      GrowToFullAndCenter();
      EnableControl(IDC_INITIALIZE, true);
      break;
    case SequenceEvent::kFirmwareInstalled:
      if (kind_ == SequenceKind::kForcedUpgrade) {
        EnableControl(IDC_FORCE_UPDATE, false);  // off while the box is up; the end gives it back
      }
      break;
    case SequenceEvent::kBootLoaderFound:
      found_ = true;
      EnableControl(IDC_FORCE_UPDATE, true);
      break;
  }
}

void WindowSequenceView::FreeOnce() {
  if (!freed_) {
    freed_ = true;
    ClearBusy(Upgrade());
  }
}
