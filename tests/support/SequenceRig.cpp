// The setting of the sequence tests (see SequenceRig.h).
#include "tests/support/SequenceRig.h"

#include <algorithm>

#include "tests/support/TestImages.h"
#include "workflows/backups/BackupFileName.h"
#include "workflows/backups/BackupFormat.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"

namespace {

const std::wstring kProgressText = L"Upgrading, progress: ";

}  // namespace

SequenceRig::SequenceRig(size_t imageBytes, uint32_t pace) : clock(pace) {
  SetFirmwareVersions(3, 4);
  WriteImage(imageBytes);
}

void SequenceRig::SetFirmwareVersions(uint8_t oldVersion, uint8_t newVersion) {
  userGlobal[kFirmwareVersionByte] = oldVersion;
  sim.SetGlobalConfig(userGlobal);
  sim.SetButtonConfig(userButtons);
  factoryGlobal[kFirmwareVersionByte] = newVersion;
  sim.SetNewFirmware(newVersion, factoryGlobal, factoryButtons);
}

void SequenceRig::WriteImage(size_t size) {
  image = SomeImage(size, 0x12345678u + static_cast<uint32_t>(size));
  file_.Write(image);
}

void SequenceRig::StartNewRun() {
  run = RunState{};
  firstCall_ = view.Calls().size();
  sim.ClearTranscript();
}

uint32_t SequenceRig::RunUpgrade() {
  const uint32_t start = clock->NowMs();
  UpgradeSequence(link, context, view, run, ImagePath());
  return clock->NowMs() - start;
}

uint32_t SequenceRig::RunForcedUpgrade() {
  const uint32_t start = clock->NowMs();
  ForceUpgradeSequence(link, context, view, run, ImagePath());
  return clock->NowMs() - start;
}

uint32_t SequenceRig::RunInitialize() {
  const uint32_t start = clock->NowMs();
  InitializeSequence(link, context, view, run, [this] { return SimTransport(sim); });
  return clock->NowMs() - start;
}

bool SequenceRig::PrepareForcedUpgrade() {
  sim.SetHomeHeld(true);
  const size_t before = view.Calls().size();
  RunInitialize();
  sim.SetHomeHeld(false);
  firstCall_ = view.Calls().size();
  sim.ClearTranscript();
  const Lines calls = view.Calls();
  return sim.State() == SimState::BootLoader &&
         std::count(calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end(),
                    L"boot loader found") == 1;
}

Lines SequenceRig::Calls() const {
  Lines calls = view.Calls();
  calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(firstCall_));
  return calls;
}

Lines SequenceRig::CallsOf(const std::wstring& kind) const {
  Lines found;
  const std::wstring prefix = kind + L" ";
  for (const std::wstring& line : Calls()) {
    if (line.rfind(prefix, 0) == 0) {
      found.push_back(line.substr(prefix.size()));
    }
  }
  return found;
}

Lines SequenceRig::StepStatuses() const {
  Lines steps;
  for (const std::wstring& text : CallsOf(L"status")) {
    if (text.rfind(kProgressText, 0) != 0) {
      steps.push_back(text);
    }
  }
  return steps;
}

Lines SequenceRig::ProgressStatuses() const {
  Lines progress;
  for (const std::wstring& text : CallsOf(L"status")) {
    if (text.rfind(kProgressText, 0) == 0) {
      progress.push_back(text);
    }
  }
  return progress;
}

std::vector<CommandReport> SequenceRig::RequestsOf(SimDevice device, CommandCode command) {
  return ::RequestsOf(sim, device, command);
}

std::vector<uint8_t> SequenceRig::GlobalWritten() {
  return PayloadsOf(sim, CommandCode::WriteGlobalConfig);
}

std::vector<uint8_t> SequenceRig::ButtonsWritten() {
  return PayloadsOf(sim, CommandCode::WriteButtonBlock);
}

std::string SequenceRig::PlantBackupAtLargestNumber() {
  SavedBackup planted;
  planted.sequence = kLargestSequence;
  planted.takenUtcMs = clock->UtcMs() - 60000;
  planted.global = factoryGlobal;
  planted.buttons = factoryButtons;
  planted.state = BackupState::kWrittenBack;
  const std::string name = BackupFileName(planted.takenUtcMs);
  backups.Put(name, FormatBackup(planted));
  return name;
}
