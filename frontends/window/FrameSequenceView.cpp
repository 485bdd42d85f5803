// The main window as the update sequences see it.
#include "frontends/window/FrameSequenceView.h"

#include <commctrl.h>

#include "frontends/window/KeepAwake.h"
#include "frontends/window/MessageIconStyle.h"
#include "frontends/window/resource.h"
#include "ui/MsgBoxCenterHook.h"

namespace {

class BoxPlacementScope final : public SequenceScope {
  CMsgBoxCenterHook hook_;
};

class KeepAwakeScope final : public SequenceScope {
  CKeepAwake awake_;
};

// For an upgrade, the end of the session is held off too while the controller is worked on.
class DeviceWorkScope final : public SequenceScope {
 public:
  explicit DeviceWorkScope(CFrameDlg& frame) : frame_(frame) { Hold(true); }
  ~DeviceWorkScope() override { Hold(false); }

 private:
  void Hold(bool held) {
    frame_.shutdownHeld = held;
    // The block belongs to the window thread, which takes or gives it up.
    SendMessageW(frame_.hwnd, CFrameDlg::kShutdownHoldMessage, 0, 0);
  }

  CKeepAwake awake_;
  CFrameDlg& frame_;
};

}  // namespace

void CFrameSequenceView::SetStatus(const std::wstring& text) {
  frame_.SetItemText(IDC_STATUS, text);
}

void CFrameSequenceView::EnableControl(uint16_t id, bool enabled) {
  EnableWindow(frame_.GetItem(id), enabled ? TRUE : FALSE);
}

void CFrameSequenceView::SetProgress(uint64_t position) {
  SendMessageW(frame_.progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CFrameSequenceView::GrowToFullAndCenter() {
  // The window thread does it: it owns the full rectangle, which a change of scale renews.
  SendMessageW(frame_.hwnd, CFrameDlg::kGrowToFullMessage, 0, 0);
}

void CFrameSequenceView::ShowOutcome(const std::wstring& text, const std::wstring& caption,
                                     MessageIcon icon) {
  MessageBoxW(frame_.hwnd, text.c_str(), caption.c_str(), MessageIconStyle(icon));
}

bool CFrameSequenceView::OfferRetry(const std::wstring& text, const std::wstring& caption) {
  return MessageBoxW(frame_.hwnd, text.c_str(), caption.c_str(), MB_RETRYCANCEL | MB_ICONWARNING) ==
         IDRETRY;
}

void CFrameSequenceView::PostRefresh() {
  frame_.PostCommand(IDC_REFRESH, 0, 0);
}

void CFrameSequenceView::ClearBusy() {
  // In this order: once `busy` is clear a next upgrade may mark itself running at once, and
  // that mark must not be cleared under it.
  if (upgrade_) {
    frame_.upgradeRunning = false;
  }
  frame_.busy = false;
}

void CFrameSequenceView::SetButtonConfigBackedUp(bool value) {
  frame_.buttonConfigBackedUp = value;
}

void CFrameSequenceView::SetGlobalConfigBackedUp(bool value) {
  frame_.globalConfigBackedUp = value;
}

bool CFrameSequenceView::ButtonConfigBackedUp() {
  return frame_.buttonConfigBackedUp;
}

bool CFrameSequenceView::GlobalConfigBackedUp() {
  return frame_.globalConfigBackedUp;
}

std::unique_ptr<SequenceScope> CFrameSequenceView::PlaceMessageBoxes() {
  return std::make_unique<BoxPlacementScope>();
}

std::unique_ptr<SequenceScope> CFrameSequenceView::KeepAwake() {
  if (upgrade_) {
    return std::make_unique<DeviceWorkScope>(frame_);
  }
  return std::make_unique<KeepAwakeScope>();
}

bool CFrameSequenceView::CloseRequested() {
  return frame_.CloseRequested();
}
