// A SequenceView and the window's CommandHost for tests: keeps every call, in order, as one line of
// text with the virtual time at which it was made, and answers with settable values.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "frontends/window/CommandHost.h"
#include "tests/support/Lines.h"
#include "workflows/SequenceView.h"

struct RecordedCall {
  std::wstring text;
  uint32_t timeMs;
};

class RecordingView final : public SequenceView, public CommandHost {
 public:
  // SequenceView. Lines: "start <kind>", "end <kind>" (kinds: update, initialize, forced
  // upgrade, restore), "work on", "work off", "flash on", "flash off", "recovery needed",
  // "firmware in", "boot loader found", "status <text>", "progress <n>" (then, with a text,
  // "status <text>": it shows where the status does), "box <text>|<caption>|<info, warning
  // or error>", "retry? <text>|<caption>|warning", "stop?"; who keeps the controller and the
  // outcomes in the window's words, captions and icons.
  void SequenceStarted(SequenceKind kind) override;
  void SequenceEnded(SequenceKind kind) override;
  void Notify(SequenceEvent event) override;
  void SetStatus(const std::wstring& text) override;
  void SetProgress(uint64_t position, const std::wstring& text) override;
  void SetKeptStatus(const KeptController& kept) override;
  void ShowOutcome(const SequenceOutcome& outcome) override;
  bool OfferRetry(const SequenceOutcome& outcome) override;
  bool StopRequested() override;
  // The recorder set below (no line is kept for it).
  RunRecorder* Recorder() override { return recorder; }

  // CommandHost. Lines: "take path", "is file <path>", "message <text>|<caption>|<icon>",
  // "busy?", "busy <0/1>", "enable <id>", "disable <id>", "enabled? <id>", "start worker"
  // (then "worker refused" when starting is refused).
  std::wstring TakeFirmwarePath() override;
  bool IsFile(const std::wstring& path) override;
  void ShowMessage(const std::wstring& text, const std::wstring& caption,
                   MessageIcon icon) override;
  bool IsBusy() override;
  void SetBusy(bool busy) override;
  void EnableControl(uint16_t id, bool enabled) override;
  bool IsControlEnabled(uint16_t id) override;
  bool StartWorker(std::function<void()> body) override;

  // Every line so far, and the lines of one kind (their first word) without it.
  Lines Calls() const;
  Lines CallsOf(const std::wstring& kind) const;
  // Virtual time of the first line equal to `line`; fails the test when there is none.
  uint32_t TimeOf(const std::wstring& line) const;
  // Number of lines equal to `line`.
  size_t Count(const std::wstring& line) const;

  // State the window would hold.
  bool busy = false;
  bool stopRequested = false;        // what StopRequested answers
  std::map<uint16_t, bool> enabled;  // absent ids count as enabled
  std::wstring pathEdit;             // the path edit's text
  std::wstring firmwarePath;         // the window's path, written by TakeFirmwarePath
  bool pathIsFile = true;            // what IsFile answers
  bool workersStart = true;          // whether StartWorker can start a worker
  // Runs a started worker body; by default at once, on the calling thread.
  std::function<void(std::function<void()>)> runWorker = [](std::function<void()> body) { body(); };
  // Called while an outcome or message box is up, before it is dismissed.
  std::function<void()> onBox;
  // The run's recorder that the sequences are handed; none by default.
  RunRecorder* recorder = nullptr;
  // The answers to the offers to retry a restore, in order (true: Retry); Cancel once used up.
  std::vector<bool> retryAnswers;

 private:
  void Record(std::wstring line);

  mutable std::mutex mutex_;
  std::vector<RecordedCall> calls_;
};
