// padwright history: every run that this user's (or root's) folder has kept, newest first,
// with its outcome, what it ran on and the time of each phase; --json prints the records as
// kept, one JSON object a line, oldest first. Lines that are not records are skipped and
// counted. Everything read is printed with its control characters escaped.
#include <cstdio>
#include <string>

#include "frontends/terminal/CommandTable.h"
#include "platform/PrintableText.h"
#include "platform/TimeText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/RunHistory.h"
#include "workflows/RunRecordJson.h"

namespace {

// One row of the table a run, its details indented below it.
constexpr char kRowFormat[] = "%-16s  %-13s  %-30s %10s  %-13s %s";

const char* KindWords(RunKind kind) {
  switch (kind) {
    case RunKind::kUpgrade:
      return "update";
    case RunKind::kInitialize:
      return "initialize";
    case RunKind::kForcedUpgrade:
      return "forced update";
    case RunKind::kRestore:
      return "restore";
    case RunKind::kDecline:
      break;
  }
  return "decline";
}

const char* PhaseWords(RunPhase phase) {
  constexpr const char* kWords[] = {"backup read",     "boot loader wait",  "transfer",
                                    "power cycle",     "controller return", "restore",
                                    "version and mode"};
  return kWords[static_cast<size_t>(phase)];
}

std::string OutcomeWords(const RunRecord& record) {
  switch (record.outcome) {
    case RunOutcome::kSucceeded:
      return "success";
    case RunOutcome::kCancelled:
      return "cancelled";
    case RunOutcome::kFailed:
      break;
  }
  switch (record.failedStep) {
    case RunStep::kNone:
      return "failed";
    case RunStep::kPowerSwitch:
      return "failed: power switch";
    case RunStep::kBattery:
      return "failed: battery low";
    case RunStep::kControllerKept:
      return "failed: controller kept by another program";
    case RunStep::kImage:
      return "failed: image unreadable";
    case RunStep::kBackupSave:
      return "failed: backup not saved";
    case RunStep::kPendingMark:
      return "failed: backup not marked pending";
    case RunStep::kPhase:
      break;
  }
  return std::string("failed in the ") + PhaseWords(record.failedPhase);
}

std::string StateWords(const std::optional<FirmwareState>& state) {
  return state ? std::to_string(state->version) + "/" + std::to_string(state->mode) : "-";
}

std::string Seconds(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof(text), "%u.%03u s", ms / 1000, ms % 1000);
  return text;
}

void PrintRecord(CommandContext& context, const RunRecord& record) {
  TerminalView& view = context.view;
  char row[512];
  std::snprintf(row, sizeof(row), kRowFormat, ToUtf8(LocalMinuteText(record.utcMs)).c_str(),
                KindWords(record.kind), OutcomeWords(record).c_str(),
                Seconds(record.totalMs).c_str(),
                (StateWords(record.before) + " -> " + StateWords(record.after)).c_str(),
                (EscapeControls(record.frontEnd) + " " + EscapeControls(record.version)).c_str());
  view.PrintLine(row);
  if (record.image) {
    view.PrintLine("  image " + EscapeControls(record.image->name) + ", " +
                   std::to_string(record.image->size) + " bytes, SHA-256 " +
                   EscapeControls(record.image->sha256));
  }
  std::string more;
  if (record.power) {
    more += "  battery " +
            (record.power->chargePercent ? std::to_string(*record.power->chargePercent) + "%"
                                         : std::string("none")) +
            (record.power->externalPower ? ", charger on" : ", charger off") + ";";
  }
  more += "  written back: ";
  for (size_t i = 0; i < record.writtenBack.size(); ++i) {
    more += (i > 0 ? ", " : "") + EscapeControls(record.writtenBack[i]);
  }
  view.PrintLine(more + (record.writtenBack.empty() ? "none" : ""));
  std::string phases;
  for (size_t i = 0; i < kRunPhaseCount; ++i) {
    if (record.phaseMs[i]) {
      phases += std::string(phases.empty() ? "  " : ", ") + PhaseWords(static_cast<RunPhase>(i)) +
                " " + std::to_string(*record.phaseMs[i]) + " ms";
    }
  }
  if (!phases.empty()) {
    view.PrintLine(phases);
  }
}

}  // namespace

int RunHistory(CommandContext& context) {
  KeptRuns history;
  if (!ReadRunHistory(&context.backups, &history)) {
    context.view.PrintLine("padwright: " + EscapeControls(context.backups.LastError()));
    return kExitFailed;
  }
  const std::string path = EscapeControls(context.backups.PathOf(kHistoryFileName));
  if (context.json) {
    for (const RunRecord& record : history.records) {
      context.view.PrintLine(RunRecordLine(record));  // written afresh: escaped as JSON
    }
  } else if (history.records.empty()) {
    context.view.PrintLine("No run recorded in " + path + ".");
  } else {
    char header[256];
    std::snprintf(header, sizeof(header), kRowFormat, "Time", "Run", "Outcome", "Total",
                  "Firmware/mode", "By");
    context.view.PrintLine(header);
    for (auto record = history.records.rbegin(); record != history.records.rend(); ++record) {
      PrintRecord(context, *record);
    }
  }
  if (history.damaged > 0) {
    std::fprintf(stderr, "padwright: %zu damaged line(s) of %s skipped\n", history.damaged,
                 path.c_str());
  }
  return kExitSuccess;
}
