// The text of the window's history view (see HistoryText.h).
#include "frontends/window/HistoryText.h"

#include <cstdio>

#include "platform/PrintableText.h"
#include "platform/TimeText.h"
#include "workflows/RunRecordJson.h"

namespace {

const char* KindWords(RunKind kind) {
  constexpr const char* kWords[] = {"Update", "Initialize", "Force update", "Restore", "Declined"};
  return kWords[static_cast<size_t>(kind)];
}

const char* PhaseWords(RunPhase phase) {
  constexpr const char* kWords[] = {
      "the backup read",     "the wait for the boot loader", "the transfer",
      "the power cycle",     "the controller's return",      "the restore",
      "the version and mode"};
  return kWords[static_cast<size_t>(phase)];
}

const char* StepWords(RunStep step) {
  switch (step) {
    case RunStep::kPowerSwitch:
      return "the power switch";
    case RunStep::kBattery:
      return "the battery check";
    case RunStep::kControllerKept:
      return "a controller kept by another program";
    case RunStep::kImage:
      return "reading the firmware file";
    case RunStep::kBackupSave:
      return "saving the backup";
    case RunStep::kPendingMark:
      return "marking the backup pending";
    case RunStep::kNone:
    case RunStep::kPhase:
      break;
  }
  return "";
}

std::string OutcomeWords(const RunRecord& record) {
  if (record.outcome == RunOutcome::kSucceeded) {
    return "success";
  }
  if (record.outcome == RunOutcome::kCancelled) {
    return "cancelled";
  }
  if (record.failedStep == RunStep::kNone) {
    return "failed";
  }
  return std::string("failed at ") + (record.failedStep == RunStep::kPhase
                                          ? PhaseWords(record.failedPhase)
                                          : StepWords(record.failedStep));
}

std::string StateWords(const std::optional<FirmwareState>& state) {
  return state ? std::to_string(state->version) + "/" + std::to_string(state->mode) : "-";
}

}  // namespace

std::string HistoryViewText(const KeptRuns& history) {
  std::string text;
  if (history.records.empty()) {
    text = "No update has been recorded yet.\r\n";
  }
  for (auto record = history.records.rbegin(); record != history.records.rend(); ++record) {
    char total[32];
    std::snprintf(total, sizeof(total), "%u.%03u s", record->totalMs / 1000,
                  record->totalMs % 1000);
    std::string stamp = UtcStamp(record->utcMs);
    text += stamp.substr(0, 10) + " " + stamp.substr(11, 8) + " UTC  " + KindWords(record->kind) +
            ": " + OutcomeWords(*record) + ", " + total + ", firmware/mode " +
            StateWords(record->before) + " -> " + StateWords(record->after) + "\r\n";
    text += EscapeControls(RunRecordLine(*record)) + "\r\n\r\n";
  }
  if (history.damaged > 0) {
    text += std::to_string(history.damaged) + " damaged line(s) skipped.\r\n";
  }
  return text;
}
