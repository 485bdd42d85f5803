// The setting of the sequence tests: virtual time, the controller simulator behind the
// controller link and the power switch, a recording window, and an image file on disk.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "device/ConfigBlocks.h"
#include "device/Vexapad.h"
#include "platform/FirmwareImage.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimPhysicalMemory.h"
#include "sim/SimTransport.h"
#include "tests/support/VirtualClock.h"
#include "tests/unit/workflows/RecordingView.h"

using Lines = std::vector<std::wstring>;

// Members are public so that table rows can arrange the simulator.
class WorkflowTest : public testing::Test {
 public:
  // The controller runs firmware `kOldVersion` with mode `kSavedMode`; a complete image
  // installs firmware `newVersion` (set per test) that starts from factory blocks, so that
  // only a restore brings the user's configuration back.
  static constexpr uint8_t kSavedMode = 7;

  WorkflowTest();
  ~WorkflowTest() override;

  void SetFirmwareVersions(uint8_t oldVersion, uint8_t newVersion);
  // Writes `size` pseudo-random bytes to the image file (0 leaves an empty file).
  void WriteImage(size_t size);
  std::wstring ImagePath() const { return imageFile_.wstring(); }
  std::wstring MissingPath() const { return imageFile_.wstring() + L".missing"; }

  void RunUpgrade();
  void RunForcedUpgrade();
  void RunInitialize();

  // Requests of one command that the host sent to a device.
  std::vector<CommandReport> RequestsOf(SimDevice device, CommandCode command);
  // The payloads of the global-block and button-block writes, joined in order.
  std::vector<uint8_t> GlobalWritten();
  std::vector<uint8_t> ButtonsWritten();
  // Status texts without the moving progress texts.
  Lines StepStatuses() const;
  // Status texts of the progress display only.
  Lines ProgressStatuses() const;

  ScopedVirtualClock clock_;
  ControllerSimulator sim_;
  SimPhysicalMemory memory_{sim_};
  CVexapadT<SimTransport> device_{sim_};
  RecordingView view_;
  FirmwareImage image_;
  GlobalConfig userGlobal_{};
  ButtonConfig userButtons_{};
  GlobalConfig factoryGlobal_{};
  ButtonConfig factoryButtons_{};

 private:
  std::filesystem::path imageFile_;
};
