// The sequences' side of the history (see RunRecording.h).
#include "workflows/RunRecording.h"

#include "platform/Utf8Valid.h"
#include "platform/Sha256.h"

namespace {

RunKind KindOf(SequenceKind kind) {
  switch (kind) {
    case SequenceKind::kUpgrade:
      return RunKind::kUpgrade;
    case SequenceKind::kInitialize:
      return RunKind::kInitialize;
    case SequenceKind::kForcedUpgrade:
      return RunKind::kForcedUpgrade;
    case SequenceKind::kRestore:
      break;
  }
  return RunKind::kRestore;
}

// UTF-16 (Windows' names) as UTF-8; a lone surrogate becomes U+FFFD. Each platform uses one
// of the two forms.
[[maybe_unused]] std::string Utf8Of(const std::wstring& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t code = static_cast<uint32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
    }
    AppendUtf8(out, code);  // a lone surrogate as U+FFFD
  }
  return out;
}

// A name on Linux is bytes, not always UTF-8.
[[maybe_unused]] std::string Utf8Of(const std::string& text) {
  return ValidUtf8(text);
}

// The file name as UTF-8, whatever the platform's own form of it.
std::string NameOf(const std::filesystem::path& path) {
  return Utf8Of(path.filename().native());
}

}  // namespace

void BeginRun(SequenceView& view, SequenceKind kind) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->Begin(KindOf(kind));
  }
}

void NextPhaseFrom(SequenceView& view, RunPhase next, uint32_t atMs) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->NextPhaseFrom(next, atMs);
  }
}

void RecordBefore(SequenceView& view, const GlobalConfig& global) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->Before({FirmwareVersion(global), ControllerMode(global)});
  }
}

void RecordAfter(SequenceView& view, const FirmwareState& state) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->After(state);
  }
}

void RecordImage(SequenceView& view, const std::filesystem::path& path,
                 const FirmwareImage& image) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->Image({NameOf(path), image.size(), Sha256Hex(image.data(), image.size())});
  }
}

void RecordWrittenBack(SequenceView& view, const RestorePlan& plan) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->WrittenBack(plan.backups);
  }
}

void RecordDeviceStepsEnd(SequenceView& view) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->DeviceStepsEnd();
  }
}

void RecordDeviceTime(SequenceView& view, uint32_t ms) {
  if (RunRecorder* recorder = view.Recorder()) {
    recorder->AddDeviceTime(ms);
  }
}

void EndRun(SequenceView& view, RunOutcome outcome, RunStep refusal) {
  if (RunRecorder* recorder = view.Recorder()) {
    if (refusal != RunStep::kNone) {
      recorder->Refused(refusal);
    }
    recorder->End(outcome);
  }
}

void EndUpgradeRun(SequenceView& view, UpgradeResult result) {
  switch (result) {
    case UpgradeResult::kSucceeded:
      EndRun(view, RunOutcome::kSucceeded);
      return;
    case UpgradeResult::kPowerSwitchUnavailable:
      EndRun(view, RunOutcome::kFailed, RunStep::kPowerSwitch);
      return;
    case UpgradeResult::kBatteryLow:
      EndRun(view, RunOutcome::kFailed, RunStep::kBattery);
      return;
    case UpgradeResult::kImageUnreadable:
      EndRun(view, RunOutcome::kFailed, RunStep::kImage);
      return;
    case UpgradeResult::kBackupNotSaved:
    case UpgradeResult::kNoBackupNumberLeft:
      EndRun(view, RunOutcome::kFailed, RunStep::kBackupSave);
      return;
    case UpgradeResult::kPendingNotMarked:
      EndRun(view, RunOutcome::kFailed, RunStep::kPendingMark);
      return;
    case UpgradeResult::kControllerHidden:
    case UpgradeResult::kControllerHeld:
      EndRun(view, RunOutcome::kFailed, RunStep::kControllerKept);
      return;
    case UpgradeResult::kFailed:
    case UpgradeResult::kRestoreFailed:
      break;
  }
  EndRun(view, RunOutcome::kFailed);  // in the phase that was under way
}

void RecordDecline(RunRecorder* recorder, size_t declined, bool all) {
  if (recorder == nullptr || (declined == 0 && all)) {
    return;
  }
  recorder->Begin(RunKind::kDecline);
  recorder->End(all ? RunOutcome::kSucceeded : RunOutcome::kFailed);
}
