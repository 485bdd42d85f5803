// The main window as the update sequences see it: the events turned into the window's
// control states (WindowSequenceView), and each of its operations done on the main window's
// controls from the worker thread, served by the window thread.
#pragma once

#include <memory>
#include <string>

#include "frontends/window/MainWindow.h"
#include "frontends/window/WindowSequenceView.h"
#include "padwright/Version.h"
#include "workflows/RunRecorder.h"

// How the window names itself in the history of runs.
inline constexpr char kWindowFrontEnd[] = "window";

class CKeepAwake;
class CMsgBoxCenterHook;

class CFrameSequenceView final : public WindowSequenceView {
 public:
  explicit CFrameSequenceView(MainWindow& frame);
  ~CFrameSequenceView() override;

  void SetStatus(const std::wstring& text) override;
  void SetProgress(uint64_t position, const std::wstring& text) override;
  void SetKeptStatus(const KeptController& kept) override;
  void ShowOutcome(const SequenceOutcome& outcome) override;
  bool OfferRetry(const SequenceOutcome& outcome) override;
  bool StopRequested() override;
  // The sequence's run goes into the history beside the saved backups.
  RunRecorder* Recorder() override { return &recorder_; }

 private:
  void EnableControl(uint16_t id, bool enabled) override;
  void GrowToFullAndCenter() override;
  void ClearBusy(bool upgrade) override;
  void PostRefresh() override;
  void PlaceMessageBoxes(bool placed) override;
  void KeepAwake(bool held, bool holdShutdown) override;

  MainWindow& frame_;
  // Made and destroyed on the worker's thread, which each belongs to.
  std::unique_ptr<CMsgBoxCenterHook> boxPlacement_;
  std::unique_ptr<CKeepAwake> awake_;
  RunRecorder recorder_;
};
