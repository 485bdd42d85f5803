// The setting of the sequence tests.
#include "tests/unit/workflows/WorkflowFixture.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "platform/PhysicalMemory.h"
#include "ui/resource.h"
#include "workflows/BackupBuffers.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"

WorkflowTest::WorkflowTest() {
  BindPhysicalMemory(&memory_);
  savedButtonConfig = {};
  savedGlobalConfig = {};
  for (size_t i = 0; i < userGlobal_.size(); ++i) {
    userGlobal_[i] = static_cast<uint8_t>(0x40 + i * 3);
  }
  userGlobal_[kModeByte] = kSavedMode;
  for (size_t i = 0; i < userButtons_.size(); ++i) {
    userButtons_[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  factoryGlobal_.fill(0xEE);
  factoryButtons_.fill(0xDD);
  SetFirmwareVersions(2, 2);
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("padwright-") + info->test_suite_name() + "-" + info->name() +
                     "-" + std::to_string(getpid()) + ".vxf";
  std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests have slashes
  imageFile_ = std::filesystem::temp_directory_path() / name;
  WriteImage(1000);
}

WorkflowTest::~WorkflowTest() {
  BindPhysicalMemory(nullptr);
  std::error_code ignored;
  std::filesystem::remove(imageFile_, ignored);
}

void WorkflowTest::SetFirmwareVersions(uint8_t oldVersion, uint8_t newVersion) {
  userGlobal_[kFirmwareVersionByte] = oldVersion;
  sim_.SetGlobalConfig(userGlobal_);
  sim_.SetButtonConfig(userButtons_);
  factoryGlobal_[kFirmwareVersionByte] = newVersion;
  sim_.SetNewFirmware(newVersion, factoryGlobal_, factoryButtons_);
}

void WorkflowTest::WriteImage(size_t size) {
  image_.resize(size);
  uint32_t state = 0x12345678u + static_cast<uint32_t>(size);
  for (unsigned char& byte : image_) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<unsigned char>(state >> 24);
  }
  std::ofstream out(imageFile_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image_.data()), static_cast<std::streamsize>(size));
}

void WorkflowTest::RunUpgrade() {
  UpgradeSequence(device_, view_, ImagePath(), IDC_UPDATE);
}

void WorkflowTest::RunForcedUpgrade() {
  ForceUpgradeSequence(device_, view_, ImagePath(), IDC_FORCE_UPDATE);
}

void WorkflowTest::RunInitialize() {
  InitializeSequence(device_, view_, [this] { return SimTransport(sim_); });
}

std::vector<CommandReport> WorkflowTest::RequestsOf(SimDevice device, CommandCode command) {
  std::vector<CommandReport> found;
  for (const CommandReport& report : sim_.Requests(device)) {
    if (report.Command() == static_cast<uint8_t>(command)) {
      found.push_back(report);
    }
  }
  return found;
}

std::vector<uint8_t> WorkflowTest::GlobalWritten() {
  std::vector<uint8_t> bytes;
  for (const CommandReport& report :
       RequestsOf(SimDevice::Controller, CommandCode::WriteGlobalConfig)) {
    bytes.insert(bytes.end(), report.Payload(), report.Payload() + report.Length());
  }
  return bytes;
}

std::vector<uint8_t> WorkflowTest::ButtonsWritten() {
  std::vector<uint8_t> bytes;
  for (const CommandReport& report :
       RequestsOf(SimDevice::Controller, CommandCode::WriteButtonBlock)) {
    bytes.insert(bytes.end(), report.Payload(), report.Payload() + report.Length());
  }
  return bytes;
}

Lines WorkflowTest::StepStatuses() const {
  Lines steps;
  for (const std::wstring& text : view_.CallsOf(L"status")) {
    if (text.rfind(L"Upgrading, progress: ", 0) != 0) {
      steps.push_back(text);
    }
  }
  return steps;
}

Lines WorkflowTest::ProgressStatuses() const {
  Lines progress;
  for (const std::wstring& text : view_.CallsOf(L"status")) {
    if (text.rfind(L"Upgrading, progress: ", 0) == 0) {
      progress.push_back(text);
    }
  }
  return progress;
}
