// The main window as the update sequences see it.
#include "frontends/window/FrameSequenceView.h"

#include "frontends/window/KeepAwake.h"
#include "frontends/window/MessageIconStyle.h"
#include "frontends/window/resource.h"
#include "ui/MsgBoxCenterHook.h"

CFrameSequenceView::CFrameSequenceView(CFrameDlg& frame)
    : frame_(frame), recorder_(frame.Context(), kWindowFrontEnd, PADWRIGHT_VERSION_TEXT) {}

CFrameSequenceView::~CFrameSequenceView() = default;

void CFrameSequenceView::SetStatus(const std::wstring& text) {
  frame_.SetItemText(IDC_STATUS, text);
}

void CFrameSequenceView::SetProgress(uint64_t position, const std::wstring& text) {
  frame_.SetProgressPosition(position);
  if (!text.empty()) {
    SetStatus(text);
  }
}

void CFrameSequenceView::ShowOutcome(const std::wstring& text, const std::wstring& caption,
                                     MessageIcon icon) {
  MessageBoxW(frame_.hwnd, text.c_str(), caption.c_str(), MessageIconStyle(icon));
}

bool CFrameSequenceView::OfferRetry(const std::wstring& text, const std::wstring& caption) {
  return MessageBoxW(frame_.hwnd, text.c_str(), caption.c_str(), MB_RETRYCANCEL | MB_ICONWARNING) ==
         IDRETRY;
}

bool CFrameSequenceView::StopRequested() {
  return frame_.CloseRequested();
}

void CFrameSequenceView::EnableControl(uint16_t id, bool enabled) {
  EnableWindow(frame_.GetItem(id), enabled ? TRUE : FALSE);
}

void CFrameSequenceView::GrowToFullAndCenter() {
  // The window thread does it: it owns the full rectangle, which a change of scale renews.
  SendMessageW(frame_.hwnd, CFrameDlg::kGrowToFullMessage, 0, 0);
}

void CFrameSequenceView::ClearBusy(bool upgrade) {
  frame_.SetBusy(false, upgrade);
}

void CFrameSequenceView::PostRefresh() {
  frame_.PostCommand(IDC_REFRESH, 0, 0);
}

void CFrameSequenceView::PlaceMessageBoxes(bool placed) {
  boxPlacement_ = placed ? std::make_unique<CMsgBoxCenterHook>() : nullptr;
}

void CFrameSequenceView::KeepAwake(bool held, bool holdShutdown) {
  if (held) {
    awake_ = std::make_unique<CKeepAwake>();
  }
  if (holdShutdown) {
    frame_.HoldShutdown(held);
  }
  if (!held) {
    awake_.reset();
  }
}
