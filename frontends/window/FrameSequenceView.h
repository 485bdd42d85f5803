// The main window as the update sequences see it: each call acts on CFrameDlg's controls
// from the worker thread, and the window thread serves it.
#pragma once

#include <memory>
#include <string>

#include "frontends/window/FrameDlg.h"
#include "workflows/SequenceView.h"

class CFrameSequenceView final : public SequenceView {
 public:
  // `upgrade`: the sequence is a normal or forced upgrade (or a restore), whose busy mark also
  // keeps the window from closing, and whose work on the controller the session from ending.
  CFrameSequenceView(CFrameDlg& frame, bool upgrade) : frame_(frame), upgrade_(upgrade) {}

  void SetStatus(const std::wstring& text) override;
  void EnableControl(uint16_t id, bool enabled) override;
  void SetProgress(uint64_t position) override;
  void GrowToFullAndCenter() override;
  void ShowOutcome(const std::wstring& text, const std::wstring& caption,
                   MessageIcon icon) override;
  bool OfferRetry(const std::wstring& text, const std::wstring& caption) override;
  void PostRefresh() override;
  void ClearBusy() override;
  void SetButtonConfigBackedUp(bool value) override;
  void SetGlobalConfigBackedUp(bool value) override;
  bool ButtonConfigBackedUp() override;
  bool GlobalConfigBackedUp() override;
  std::unique_ptr<SequenceScope> PlaceMessageBoxes() override;
  std::unique_ptr<SequenceScope> KeepAwake() override;
  bool CloseRequested() override;

 private:
  CFrameDlg& frame_;
  bool upgrade_;
};
