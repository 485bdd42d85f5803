// The update sequences' view on a terminal: each status text becomes one line of output, the
// transfer's progress one line redrawn in place (on a terminal) or a plain line at most once
// a second (to a pipe or file), and the outcome is printed where it adds to the status. The
// events reach the command through its hooks: the flash (the signal guard and logind's
// shutdown inhibitor) and the device work (its sleep inhibitor).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "frontends/terminal/LogindInhibitor.h"
#include "platform/Clock.h"
#include "workflows/SequenceView.h"

// What the command lets the view reach beyond the terminal.
struct TerminalViewHooks {
  // The controller is about to leave normal operation (the transfer, a power cycle or a
  // restore starts); the command may not be stopped until flashEnds.
  std::function<void()> flashBegins;
  // The sequence has finished what must not be interrupted (also when its device work ends).
  std::function<void()> flashEnds;
  // The restore failed: may the saved configuration be written once more? (A terminal asks
  // the user; without one the answer is no.)
  std::function<bool()> askRetry;
  // Keeps the machine awake while held; may return null.
  std::function<std::unique_ptr<InhibitorLock>()> keepAwake;
  // True once the user has asked the command to stop.
  std::function<bool()> stopRequested;
  // Where the sequences keep the record of each run for the history; may be null.
  RunRecorder* recorder = nullptr;
};

class TerminalView final : public SequenceView {
 public:
  // `terminal`: `out` is a terminal, so the progress line is redrawn in place. `clock` (the
  // run's) spaces the plain progress lines; it outlives the view.
  TerminalView(FILE* out, bool terminal, TerminalViewHooks hooks, Clock& clock);

  void SequenceStarted(SequenceKind) override {}
  void SequenceEnded(SequenceKind kind) override;
  void Notify(SequenceEvent event) override;
  void SetStatus(const std::wstring& text) override;
  void SetProgress(uint64_t position, const std::wstring& text) override;
  void SetKeptStatus(const KeptController& kept) override;
  void ShowOutcome(const SequenceOutcome& outcome) override;
  bool OfferRetry(const SequenceOutcome& outcome) override;
  bool StopRequested() override;
  RunRecorder* Recorder() override { return hooks_.recorder; }

  // Prints a line of the command's own (not a status of a sequence).
  void PrintLine(const std::string& text);
  // Ends a progress line still open on the terminal, so the next output starts a line.
  void FinishLine();

  // Whether a progress line is open on the terminal now; safe to ask from a signal handler.
  static bool ProgressLineOpen();

  // Whether the last upgrade or restore has ended since the last call, so that the version
  // line is read again (as the window does).
  bool TakeRefreshRequest();

 private:
  void Call(const std::function<void()>& hook) const;
  void ShowProgressText(const std::string& text);
  // The part of an outcome that the status line has not said yet.
  void PrintOutcome(const SequenceOutcome& outcome);

  Clock& clock_;
  FILE* out_;
  bool terminal_;
  TerminalViewHooks hooks_;
  std::unique_ptr<InhibitorLock> awake_;  // while the device work goes on
  uint64_t position_ = 0;
  bool lineOpen_ = false;            // a progress line is on the terminal without its newline
  bool progressShown_ = false;       // a plain progress line has been printed
  uint32_t lastProgressLineMs_ = 0;  // when, for the once-a-second limit
  bool refreshRequested_ = false;
};
