// The sequences' side of the history: each call tells the view's recorder, when the front
// end gave one, and does nothing otherwise.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "device/ConfigBlocks.h"
#include "platform/FirmwareImage.h"
#include "workflows/backups/RestorePlan.h"
#include "workflows/RunRecorder.h"
#include "workflows/SequenceEnd.h"
#include "workflows/SequenceView.h"

// A phase timed from when it is made until it goes (or End).
class PhaseSpan {
 public:
  PhaseSpan(SequenceView& view, RunPhase phase) : recorder_(view.Recorder()), phase_(phase) {
    if (recorder_ != nullptr) {
      recorder_->PhaseBegins(phase_);
    }
  }
  ~PhaseSpan() { End(); }
  PhaseSpan(const PhaseSpan&) = delete;
  PhaseSpan& operator=(const PhaseSpan&) = delete;

  void End() {
    if (recorder_ != nullptr) {
      recorder_->PhaseEnds(phase_);
      recorder_ = nullptr;
    }
  }

 private:
  RunRecorder* recorder_;
  RunPhase phase_;
};

void BeginRun(SequenceView& view, SequenceKind kind);
// The phase under way ended at `atMs` (the run's clock) and `next` began then.
void NextPhaseFrom(SequenceView& view, RunPhase next, uint32_t atMs);
void RecordBefore(SequenceView& view, const GlobalConfig& global);
void RecordAfter(SequenceView& view, const FirmwareState& state);
// The image's name (without its folder), size and digest.
void RecordImage(SequenceView& view, const std::filesystem::path& path, const FirmwareImage& image);
// The saved backups of `plan` went back to the controller.
void RecordWrittenBack(SequenceView& view, const RestorePlan& plan);
void RecordDeviceStepsEnd(SequenceView& view);
void RecordDeviceTime(SequenceView& view, uint32_t ms);
void EndRun(SequenceView& view, RunOutcome outcome, RunStep refusal = RunStep::kNone);
// The user declined the pending backups: `declined` of them, `all` when none was left
// pending. Nothing is recorded when there was nothing to decline.
void RecordDecline(RunRecorder* recorder, size_t declined, bool all);
// Ends the run of an upgrade by where it finally stands (after its outcome and any Retry).
void EndUpgradeRun(SequenceView& view, UpgradeResult result);
