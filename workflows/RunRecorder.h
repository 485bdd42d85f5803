// What a sequence tells about its run for the history: the front end hands one to the
// sequences through its view (SequenceView::Recorder), each sequence begins it, times its
// phases on the run's clock, adds what it learnt, and ends it with its outcome; the end
// appends the record to the history beside the saved backups.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "workflows/RunContext.h"
#include "workflows/RunRecord.h"

class RunRecorder {
 public:
  // `frontEnd` and `version` are written into every record; the run's clock times it, its
  // power is read at the start, and the history goes into its backup folder. `context`
  // outlives the recorder.
  RunRecorder(const RunContext& context, std::string frontEnd, std::string version);
  virtual ~RunRecorder() = default;
  RunRecorder(const RunRecorder&) = delete;
  RunRecorder& operator=(const RunRecorder&) = delete;

  // A run of `kind` starts now: its time, and the machine's power as it is.
  void Begin(RunKind kind);
  bool Active() const { return active_; }

  // A phase starts or ends; a phase run again (a restore retried) adds to its time.
  void PhaseBegins(RunPhase phase);
  void PhaseEnds(RunPhase phase);
  // The phase under way ended at `atMs` (the run's clock, not after now), and `next` began
  // then.
  void NextPhaseFrom(RunPhase next, uint32_t atMs);

  void Before(const FirmwareState& state);
  void After(const FirmwareState& state);
  void Image(const RunImage& image);
  void WrittenBack(const std::vector<std::string>& names);
  // The run stopped at a check before anything was sent.
  void Refused(RunStep step);
  // The device steps are over: the total time stops here (a Retry adds its own device time).
  void DeviceStepsEnd();
  void AddDeviceTime(uint32_t ms) { record_.totalMs += ms; }

  // Ends the run: the record is complete and appended to the history. A run that did not
  // succeed failed at the check it was refused by, else in the last phase that began.
  void End(RunOutcome outcome);

  // The last record ended (for tests and the benchmark).
  const RunRecord& Last() const { return last_; }

 protected:
  // Keeps the finished record; by default appends it to the history.
  virtual void Keep(const RunRecord& record);

 private:
  const RunContext& context_;
  RunRecord record_;
  RunRecord last_;
  bool active_ = false;
  bool totalStopped_ = false;
  uint32_t startMs_ = 0;
  std::optional<RunPhase> open_;
  uint32_t phaseStartMs_ = 0;
  std::optional<RunPhase> lastBegun_;
};
