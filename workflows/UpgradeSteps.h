// The device steps that the normal and the forced upgrade share: the transfer, the power
// cycle, the restore of what was backed up, and the mode of the new firmware. Written over
// any device type with the controller link's operations.
#pragma once

#include <cstdint>

#include "device/ConfigBlocks.h"
#include "platform/Clock.h"
#include "platform/FirmwareImage.h"
#include "platform/FormatString.h"
#include "workflows/BackupBuffers.h"
#include "workflows/BackupSteps.h"
#include "workflows/ProgressDisplay.h"
#include "workflows/SequenceEnd.h"
#include "workflows/SequenceSteps.h"
#include "workflows/SequenceView.h"

namespace upgrade_steps {

// Open time-outs of the commands, and the longest wait for the boot loader.
inline constexpr uint32_t kRestoreOpenMs = 10000;
inline constexpr uint32_t kVersionOpenMs = 100;
inline constexpr uint32_t kSaveOpenMs = 100;
inline constexpr uint32_t kModeOpenMs = 1000;
inline constexpr int kBootLoaderWaitMs = 10000;
// The new firmware takes back the saved mode from this version on.
inline constexpr uint8_t kFirstVersionWithMode = 3;

// Reads the running firmware's version and has the controller store its configuration; from
// version 3 on, gives it back the mode saved before the transfer, when a global copy holds
// one. A failed version read ends the steps: without a version there is nothing to decide
// the mode by. True when every step that ran succeeded (the save's answer is not needed).
template <typename Device>
bool RestoreMode(Device& device, SequenceView& view, bool modeSaved) {
  view.SetStatus(L"Get current version...");
  GlobalConfig running{};
  if (!device.ReadGlobalConfig(running.data(), kGlobalConfigSize, kVersionOpenMs)) {
    return false;
  }
  view.SetStatus(L"Save config...");
  device.SaveConfig(kSaveOpenMs);  // a controller that did not answer still runs; go on
  // Without a complete global copy the saved mode byte is nothing the user ever had.
  if (FirmwareVersion(running) < kFirstVersionWithMode || !modeSaved) {
    return true;
  }
  uint8_t mode = ControllerMode(savedGlobalConfig);
  view.SetStatus(FormatString(L"Recovery mode: %d", static_cast<int>(mode)));
  SleepMs(1000);
  if (!device.SetMode(mode, kModeOpenMs)) {
    view.SetStatus(L"Recovery mode failed!");
    return false;
  }
  view.SetStatus(L"Recovery mode ok");
  return true;
}

// Writes back the blocks chosen, global block first, then restores the mode. A block that
// cannot be written ends the steps there. True when all of it went back.
template <typename Device>
bool RestoreConfiguration(Device& device, SequenceView& view, bool global, bool buttons) {
  view.SetStatus(L"Recovery config.....");
  if (global) {
    view.SetStatus(L"Recovery global config...");
    if (!device.WriteGlobalConfig(savedGlobalConfig.data(), kGlobalConfigSize, kRestoreOpenMs)) {
      view.SetStatus(L"Recovery global failed");
      return false;
    }
    view.SetStatus(L"Recovery global ok");
  }
  if (buttons) {
    view.SetStatus(L"Recovery button config...");
    if (!device.WriteButtonConfig(savedButtonConfig.data(), kRestoreOpenMs)) {
      view.SetStatus(L"Recovery config failed");
      return false;
    }
    view.SetStatus(L"Recovery config ok!");
  }
  return RestoreMode(device, view, global);
}

// Sends the image, power-cycles the controller and writes back every block of which this
// run holds a complete copy (the normal upgrade has just made both). Once the image is
// across the upgrade has succeeded; a restore that fails only makes that success a warned one.
template <typename Device>
UpgradeResult TransferAndRestore(Device& device, SequenceView& view, FirmwareImage& image,
                                 const uint32_t& startMs) {
  uint32_t lastUpdateMs = NowMs();
  if (!device.Upgrade(image.data(), image.size(), MakeProgressCallback(view, startMs, lastUpdateMs),
                      kBootLoaderWaitMs)) {
    return UpgradeResult::kFailed;
  }
  PowerCycleController(view);
  const bool global = view.GlobalConfigBackedUp();
  const bool buttons = view.ButtonConfigBackedUp();
  if (!global && !buttons) {
    return UpgradeResult::kSucceeded;  // nothing was ever read, so nothing is missing
  }
  return RestoreConfiguration(device, view, global, buttons) ? UpgradeResult::kSucceeded
                                                             : UpgradeResult::kRestoreFailed;
}

}  // namespace upgrade_steps
