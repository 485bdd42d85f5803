// The main window as the update sequences see it.
#include "frontends/window/FrameSequenceView.h"

#include "frontends/window/KeepAwake.h"
#include "frontends/window/KeptControllerText.h"
#include "frontends/window/MessageIconStyle.h"
#include "frontends/window/OutcomeBox.h"
#include "frontends/window/resource.h"
#include "ui/DialogBase.h"
#include "ui/MsgBoxCenterHook.h"

CFrameSequenceView::CFrameSequenceView(MainWindow& frame)
    : frame_(frame), recorder_(frame.Context(), kWindowFrontEnd, PADWRIGHT_VERSION_TEXT) {}

CFrameSequenceView::~CFrameSequenceView() = default;

void CFrameSequenceView::SetStatus(const std::wstring& text) {
  frame_.Dialog().SetItemText(IDC_STATUS, text);
}

void CFrameSequenceView::SetProgress(uint64_t position, const std::wstring& text) {
  frame_.SetProgressPosition(position);
  if (!text.empty()) {
    SetStatus(text);
  }
}

void CFrameSequenceView::SetKeptStatus(const KeptController& kept) {
  SetStatus(KeptControllerText(kept));
}

void CFrameSequenceView::ShowOutcome(const SequenceOutcome& outcome) {
  const OutcomeBox box = BoxOf(outcome);
  MessageBoxW(frame_.Dialog().hwnd, box.text.c_str(), box.caption.c_str(),
              MessageIconStyle(box.icon));
}

bool CFrameSequenceView::OfferRetry(const SequenceOutcome& outcome) {
  const OutcomeBox box = BoxOf(outcome);
  return MessageBoxW(frame_.Dialog().hwnd, box.text.c_str(), box.caption.c_str(),
                     MB_RETRYCANCEL | MessageIconStyle(box.icon)) == IDRETRY;
}

bool CFrameSequenceView::StopRequested() {
  return frame_.CloseRequested();
}

void CFrameSequenceView::EnableControl(uint16_t id, bool enabled) {
  EnableWindow(frame_.Dialog().GetItem(id), enabled ? TRUE : FALSE);
}

void CFrameSequenceView::GrowToFullAndCenter() {
  frame_.GrowToFull();
}

void CFrameSequenceView::ClearBusy(bool upgrade) {
  frame_.SetBusy(false, upgrade);
}

void CFrameSequenceView::PostRefresh() {
  frame_.Dialog().PostCommand(IDC_REFRESH, 0, 0);
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
