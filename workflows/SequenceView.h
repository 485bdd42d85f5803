// The narrow surface through which the update sequences tell a front end what happens: the
// status line, the progress, the outcome, and named events that each front end turns into
// what it needs (the window: its buttons, growing, busy, keep-awake, the shutdown block; the
// terminal: its signal guard, inhibitors and version line). No front end learns anything by
// reading a status text. Every call is made from the sequence's own thread; native tests
// implement a recorder that keeps every call in order.
#pragma once

#include <cstdint>
#include <string>

#include "workflows/KeptController.h"
#include "workflows/SequenceOutcome.h"

class RunRecorder;

// Which sequence runs.
enum class SequenceKind {
  kUpgrade,        // the normal upgrade (Update)
  kInitialize,     // the first half of the recovery: backup, power cycle, the boot loader
  kForcedUpgrade,  // the upgrade of a controller waiting in its boot loader (Force update)
  kRestore,        // a saved backup written back alone
};

// What happens in a sequence, between its start and its end.
enum class SequenceEvent {
  // The controller is being worked on: the machine must stay awake (and, for an upgrade or a
  // restore, the session must not end). Ends before an outcome waits for the user, and
  // begins again for a Retry.
  kDeviceWorkBegins,
  kDeviceWorkEnds,
  // The controller is about to leave normal operation (the restart into its boot loader, a
  // power cycle, the configuration written back): nothing may cut the sequence short until
  // the flash ends. Said again at each such step; the flash ends once, by kFlashEnds or with
  // the device work.
  kFlashBegins,
  kFlashEnds,
  // The normal upgrade failed: the way to the recovery (Initialize) is to be shown.
  kRecoveryNeeded,
  // The image went across: the upgrade succeeded, whether or not the restore did.
  kFirmwareInstalled,
  // Initialize found the boot loader: the forced upgrade can run now.
  kBootLoaderFound,
};

class SequenceView {
 public:
  virtual ~SequenceView() = default;

  // A sequence of `kind` starts or has ended (after its outcome). The events between belong
  // to that sequence.
  virtual void SequenceStarted(SequenceKind kind) = 0;
  virtual void SequenceEnded(SequenceKind kind) = 0;
  virtual void Notify(SequenceEvent event) = 0;

  // The status line.
  virtual void SetStatus(const std::wstring& text) = 0;
  // The status line: who keeps the controller from this program and the way back.
  virtual void SetKeptStatus(const KeptController& kept) = 0;
  // The transfer's progress: `position` from 0 to 1000 and, unless empty, the progress text
  // (shown where the status is).
  virtual void SetProgress(uint64_t position, const std::wstring& text) = 0;
  // Shows an outcome; returns once the user has seen it.
  virtual void ShowOutcome(const SequenceOutcome& outcome) = 0;
  // Offers to try a failed restore again (an outcome of kind kRestoreFailed); true for yes
  // (Retry).
  virtual bool OfferRetry(const SequenceOutcome& outcome) = 0;
  // True once the front end asks the sequence to stop (the window is closing, a signal came);
  // a long wait gives up then.
  virtual bool StopRequested() = 0;
  // Where the sequence keeps the record of its run for the history (RunRecorder.h): its
  // phases' times, what it learnt and its outcome. Null when the front end keeps none.
  virtual RunRecorder* Recorder() { return nullptr; }
};
