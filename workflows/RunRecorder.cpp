// The record of one run, as its sequence tells it (see RunRecorder.h).
#include "workflows/RunRecorder.h"

#include "workflows/RunHistory.h"

RunRecorder::RunRecorder(const RunContext& context, std::string frontEnd, std::string version)
    : context_(context) {
  record_.frontEnd = std::move(frontEnd);
  record_.version = std::move(version);
}

void RunRecorder::Begin(RunKind kind) {
  RunRecord fresh;
  fresh.frontEnd = record_.frontEnd;
  fresh.version = record_.version;
  fresh.kind = kind;
  fresh.utcMs = context_.clock.UtcMs();
  if (PowerSource* source = context_.CheckedPower()) {
    PowerState state;
    if (source->Read(&state)) {
      fresh.power =
          RunPower{state.batteryPresent ? state.chargePercent : std::nullopt, state.externalPower};
    }
  }
  record_ = std::move(fresh);
  active_ = true;
  totalStopped_ = false;
  open_.reset();
  lastBegun_.reset();
  startMs_ = context_.clock.NowMs();
}

void RunRecorder::PhaseBegins(RunPhase phase) {
  if (open_) {
    PhaseEnds(*open_);
  }
  open_ = phase;
  lastBegun_ = phase;
  phaseStartMs_ = context_.clock.NowMs();
}

void RunRecorder::PhaseEnds(RunPhase phase) {
  if (open_ != phase) {
    return;
  }
  std::optional<uint32_t>& time = record_.phaseMs[static_cast<size_t>(phase)];
  time = time.value_or(0) + (context_.clock.NowMs() - phaseStartMs_);
  open_.reset();
}

void RunRecorder::NextPhaseFrom(RunPhase next, uint32_t atMs) {
  if (open_) {
    std::optional<uint32_t>& time = record_.phaseMs[static_cast<size_t>(*open_)];
    time = time.value_or(0) + (atMs - phaseStartMs_);
  }
  open_ = next;
  lastBegun_ = next;
  phaseStartMs_ = atMs;
}

void RunRecorder::Before(const FirmwareState& state) {
  record_.before = state;
}
void RunRecorder::After(const FirmwareState& state) {
  record_.after = state;
}
void RunRecorder::Image(const RunImage& image) {
  record_.image = image;
}
void RunRecorder::WrittenBack(const std::vector<std::string>& names) {
  record_.writtenBack = names;
}
void RunRecorder::Refused(RunStep step) {
  record_.failedStep = step;
}

void RunRecorder::DeviceStepsEnd() {
  if (open_) {
    PhaseEnds(*open_);
  }
  if (!totalStopped_) {
    record_.totalMs = context_.clock.NowMs() - startMs_;
    totalStopped_ = true;
  }
}

void RunRecorder::End(RunOutcome outcome) {
  if (!active_) {
    return;
  }
  DeviceStepsEnd();
  record_.outcome = outcome;
  if (outcome == RunOutcome::kSucceeded) {
    record_.failedStep = RunStep::kNone;
  } else if (record_.failedStep == RunStep::kNone && lastBegun_) {
    record_.failedStep = RunStep::kPhase;
    record_.failedPhase = *lastBegun_;
  }
  active_ = false;
  last_ = record_;
  Keep(record_);
}

void RunRecorder::Keep(const RunRecord& record) {
  AppendRunRecord(context_.backups, record);
}
