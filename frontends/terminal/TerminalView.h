// The update sequences' view on a terminal: each status text becomes one line of output, the
// transfer's progress one line redrawn in place (on a terminal) or a plain line at most once
// a second (to a pipe or file), and the outcome is printed where it adds to the status. The
// window's two backup flags live here for the whole run of the command.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "workflows/SequenceView.h"

// What the command lets the view reach beyond the terminal.
struct TerminalViewHooks {
  // The controller is about to leave normal operation (the transfer or a power cycle starts);
  // the command may not be stopped until FlashEnds.
  std::function<void()> flashBegins;
  // The sequence has finished what must not be interrupted.
  std::function<void()> flashEnds;
  // The restore failed: may the saved configuration be written once more? (A terminal asks
  // the user; without one the answer is no.)
  std::function<bool()> askRetry;
  // Keeps the machine awake while held; may return null.
  std::function<std::unique_ptr<SequenceScope>()> keepAwake;
  // True once the user has asked the command to stop.
  std::function<bool()> stopRequested;
};

class TerminalView final : public SequenceView {
 public:
  // `terminal`: `out` is a terminal, so the progress line is redrawn in place.
  TerminalView(FILE* out, bool terminal, TerminalViewHooks hooks);

  void SetStatus(const std::wstring& text) override;
  void EnableControl(uint16_t, bool) override {}
  void SetProgress(uint64_t position) override;
  void GrowToFullAndCenter() override {}
  void ShowOutcome(const std::wstring& text, const std::wstring& caption,
                   MessageIcon icon) override;
  bool OfferRetry(const std::wstring& text, const std::wstring& caption) override;
  void PostRefresh() override { refreshRequested_ = true; }
  void ClearBusy() override;

  void SetButtonConfigBackedUp(bool value) override { buttonBackedUp_ = value; }
  void SetGlobalConfigBackedUp(bool value) override { globalBackedUp_ = value; }
  bool ButtonConfigBackedUp() override { return buttonBackedUp_; }
  bool GlobalConfigBackedUp() override { return globalBackedUp_; }

  std::unique_ptr<SequenceScope> PlaceMessageBoxes() override { return nullptr; }
  std::unique_ptr<SequenceScope> KeepAwake() override;
  bool CloseRequested() override;

  // Prints a line of the command's own (not a status of a sequence).
  void PrintLine(const std::string& text);
  // Ends a progress line still open on the terminal, so the next output starts a line.
  void FinishLine();

  // Whether a progress line is open on the terminal now; safe to ask from a signal handler.
  static bool ProgressLineOpen();

  // Whether the last sequence asked for the version line to be read again.
  bool TakeRefreshRequest();

 private:
  void ShowProgressText(const std::string& text);
  // The part of an outcome that the status line has not said yet.
  void PrintOutcome(const std::wstring& text);

  FILE* out_;
  bool terminal_;
  TerminalViewHooks hooks_;
  uint64_t position_ = 0;
  bool lineOpen_ = false;            // a progress line is on the terminal without its newline
  bool progressShown_ = false;       // a plain progress line has been printed
  uint32_t lastProgressLineMs_ = 0;  // when, for the once-a-second limit
  std::string lastStatus_;
  bool refreshRequested_ = false;
  bool buttonBackedUp_ = false;
  bool globalBackedUp_ = false;
};
