// One run of an update sequence against the simulated controller in virtual time, with the
// observations that the fault cases check: status texts, the outcome box, what the
// controller received and what the backup buffers hold.
#pragma once

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

using TextList = std::vector<std::wstring>;

class FaultRig {
 public:
  // The user's mode, restored after firmware 3 and later.
  static constexpr uint8_t kUserMode = 7;
  // 20 full data packets and one of 17 bytes: packets 0, 10 and 20 are first, middle, last.
  static constexpr size_t kImageBytes = 58 * 20 + 17;
  static constexpr uint32_t kPackets = 21;

  // `tag` keeps the image file apart from other rigs alive at the same time.
  explicit FaultRig(const std::string& tag);
  ~FaultRig();
  FaultRig(const FaultRig&) = delete;
  FaultRig& operator=(const FaultRig&) = delete;

  // Each returns the virtual milliseconds the sequence took.
  uint32_t RunUpgrade();
  uint32_t RunForcedUpgrade();
  uint32_t RunInitialize();
  // Initialize with HOME held, so that the boot loader is waiting, then HOME let go, so that
  // the power cycle after a transfer brings the controller up in normal mode. The calls and
  // the controller's record that the observations see start afresh afterwards.
  bool PrepareForcedUpgrade();

  // The view's calls since the start (or since PrepareForcedUpgrade), and those of one kind
  // without their first word.
  TextList Calls() const;
  TextList CallsOf(const std::wstring& kind) const;
  // Status texts, the progress texts left out.
  TextList StepStatuses() const;
  // Requests of one command that the host sent to a device, in order.
  std::vector<CommandReport> RequestsOf(SimDevice device, CommandCode command);
  // The payloads of the global-block and button-block writes, joined in order.
  std::vector<uint8_t> GlobalWritten();
  std::vector<uint8_t> ButtonsWritten();
  // How many leading blocks of the button backup hold the user's blocks, all later ones
  // still zero; -1 when the buffer holds anything else.
  int ButtonBlocksBackedUp() const;

  ScopedVirtualClock clock;
  ControllerSimulator sim;
  SimPhysicalMemory memory{sim};
  CVexapadT<SimTransport> device{sim};
  RecordingView view;
  FirmwareImage image;
  GlobalConfig userGlobal{};
  ButtonConfig userButtons{};

 private:
  std::filesystem::path imageFile_;
  size_t firstCall_ = 0;
};
