// One run of an update sequence against the simulated controller, and what it left behind.
#include "tests/unit/faults/FaultRig.h"

#include <unistd.h>

#include <fstream>

#include "platform/PhysicalMemory.h"
#include "ui/resource.h"
#include "workflows/BackupBuffers.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"

namespace {

constexpr uint8_t kOldVersion = 3;
constexpr uint8_t kNewVersion = 4;

}  // namespace

FaultRig::FaultRig(const std::string& tag) {
  BindPhysicalMemory(&memory);
  savedButtonConfig = {};
  savedGlobalConfig = {};
  for (size_t i = 0; i < userGlobal.size(); ++i) {
    userGlobal[i] = static_cast<uint8_t>(0x51 + i * 5);
  }
  userGlobal[kFirmwareVersionByte] = kOldVersion;
  userGlobal[kModeByte] = kUserMode;
  for (size_t i = 0; i < userButtons.size(); ++i) {
    userButtons[i] = static_cast<uint8_t>(i * 13 + 1);
  }
  sim.SetGlobalConfig(userGlobal);
  sim.SetButtonConfig(userButtons);
  // The new firmware starts from factory blocks: only a restore brings the user's back.
  GlobalConfig factoryGlobal;
  factoryGlobal.fill(0xEE);
  factoryGlobal[kFirmwareVersionByte] = kNewVersion;
  ButtonConfig factoryButtons;
  factoryButtons.fill(0xDD);
  sim.SetNewFirmware(kNewVersion, factoryGlobal, factoryButtons);

  image.resize(kImageBytes);
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<unsigned char>((i * 31 + 7) ^ (i >> 8));
  }
  imageFile_ = std::filesystem::temp_directory_path() /
               ("padwright-faults-" + tag + "-" + std::to_string(getpid()) + ".vxf");
  std::ofstream out(imageFile_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
}

FaultRig::~FaultRig() {
  BindPhysicalMemory(nullptr);
  std::error_code ignored;
  std::filesystem::remove(imageFile_, ignored);
}

uint32_t FaultRig::RunUpgrade() {
  const uint32_t start = clock->NowMs();
  UpgradeSequence(device, view, imageFile_.wstring(), IDC_UPDATE);
  return clock->NowMs() - start;
}

uint32_t FaultRig::RunForcedUpgrade() {
  const uint32_t start = clock->NowMs();
  ForceUpgradeSequence(device, view, imageFile_.wstring(), IDC_FORCE_UPDATE);
  return clock->NowMs() - start;
}

uint32_t FaultRig::RunInitialize() {
  const uint32_t start = clock->NowMs();
  InitializeSequence(device, view, [this] { return SimTransport(sim); });
  return clock->NowMs() - start;
}

bool FaultRig::PrepareForcedUpgrade() {
  sim.SetHomeHeld(true);
  RunInitialize();
  sim.SetHomeHeld(false);
  const bool ready = sim.State() == SimState::BootLoader && view.buttonBackedUp &&
                     view.globalBackedUp && view.enabled[IDC_FORCE_UPDATE];
  firstCall_ = view.Calls().size();
  sim.ClearTranscript();
  return ready;
}

TextList FaultRig::Calls() const {
  TextList calls = view.Calls();
  calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(firstCall_));
  return calls;
}

TextList FaultRig::CallsOf(const std::wstring& kind) const {
  TextList found;
  const std::wstring prefix = kind + L" ";
  for (const std::wstring& line : Calls()) {
    if (line.rfind(prefix, 0) == 0) {
      found.push_back(line.substr(prefix.size()));
    }
  }
  return found;
}

TextList FaultRig::StepStatuses() const {
  TextList steps;
  for (const std::wstring& text : CallsOf(L"status")) {
    if (text.rfind(L"Upgrading, progress: ", 0) != 0) {
      steps.push_back(text);
    }
  }
  return steps;
}

std::vector<CommandReport> FaultRig::RequestsOf(SimDevice device, CommandCode command) {
  std::vector<CommandReport> found;
  for (const CommandReport& report : sim.Requests(device)) {
    if (report.Command() == static_cast<uint8_t>(command)) {
      found.push_back(report);
    }
  }
  return found;
}

std::vector<uint8_t> FaultRig::GlobalWritten() {
  std::vector<uint8_t> bytes;
  for (const CommandReport& report :
       RequestsOf(SimDevice::Controller, CommandCode::WriteGlobalConfig)) {
    bytes.insert(bytes.end(), report.Payload(), report.Payload() + report.Length());
  }
  return bytes;
}

std::vector<uint8_t> FaultRig::ButtonsWritten() {
  std::vector<uint8_t> bytes;
  for (const CommandReport& report :
       RequestsOf(SimDevice::Controller, CommandCode::WriteButtonBlock)) {
    bytes.insert(bytes.end(), report.Payload(), report.Payload() + report.Length());
  }
  return bytes;
}

int FaultRig::ButtonBlocksBackedUp() const {
  size_t stored = 0;
  while (stored < kButtonConfigSize && savedButtonConfig[stored] == userButtons[stored]) {
    ++stored;
  }
  stored -= stored % kButtonBlockSize;
  for (size_t i = stored; i < kButtonConfigSize; ++i) {
    if (savedButtonConfig[i] != 0) {
      return -1;
    }
  }
  return static_cast<int>(stored / kButtonBlockSize);
}
