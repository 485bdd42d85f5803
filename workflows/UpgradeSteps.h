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
#include "workflows/ProgressDisplay.h"
#include "workflows/SequenceEnd.h"
#include "workflows/SequenceSteps.h"
#include "workflows/SequenceView.h"

namespace upgrade_steps {

// Open time-outs of the commands, and the longest wait for the boot loader.
inline constexpr uint32_t kBackupOpenMs = 1000;
inline constexpr uint32_t kRestoreOpenMs = 10000;
inline constexpr uint32_t kVersionOpenMs = 100;
inline constexpr uint32_t kSaveOpenMs = 100;
inline constexpr uint32_t kModeOpenMs = 1000;
inline constexpr int kBootLoaderWaitMs = 10000;
// The new firmware takes back the saved mode from this version on.
inline constexpr uint8_t kFirstVersionWithMode = 3;

// Reads the running firmware's version and has the controller store its configuration; from
// version 3 on, gives it back the mode saved before the transfer. A failed version read ends
// the steps: without a version there is nothing to decide the mode by.
template <typename Device>
void RestoreMode(Device& device, SequenceView& view) {
  view.SetStatus(L"Get current version...");
  GlobalConfig running{};
  if (!device.ReadGlobalConfig(running.data(), kGlobalConfigSize, kVersionOpenMs)) {
    return;
  }
  view.SetStatus(L"Save config...");
  device.SaveConfig(kSaveOpenMs);  // a controller that did not answer still runs; go on
  if (FirmwareVersion(running) < kFirstVersionWithMode) {
    return;
  }
  uint8_t mode = ControllerMode(savedGlobalConfig);
  view.SetStatus(FormatString(L"Recovery mode: %d", static_cast<int>(mode)));
  SleepMs(1000);
  view.SetStatus(device.SetMode(mode, kModeOpenMs) ? L"Recovery mode ok"
                                                   : L"Recovery mode failed!");
}

// Writes back the blocks chosen, global block first, then restores the mode. A block that
// cannot be written ends the steps there.
template <typename Device>
void RestoreConfiguration(Device& device, SequenceView& view, bool global, bool buttons) {
  view.SetStatus(L"Recovery config.....");
  if (global) {
    view.SetStatus(L"Recovery global config...");
    if (!device.WriteGlobalConfig(savedGlobalConfig.data(), kGlobalConfigSize, kRestoreOpenMs)) {
      view.SetStatus(L"Recovery global failed");
      return;
    }
    view.SetStatus(L"Recovery global ok");
  }
  if (buttons) {
    view.SetStatus(L"Recovery button config...");
    if (!device.WriteButtonConfig(savedButtonConfig.data(), kRestoreOpenMs)) {
      view.SetStatus(L"Recovery config failed");
      return;
    }
    view.SetStatus(L"Recovery config ok!");
  }
  RestoreMode(device, view);
}

// Which backed-up blocks go back after the transfer.
enum class RestoreChoice {
  kBoth,              // the normal upgrade backed both up just before
  kAsInitializeSaved  // the forced upgrade: what the last Initialize could back up
};

// Sends the image, power-cycles the controller and restores the configuration. Once the
// image is across the upgrade has succeeded, whatever the restore steps report.
template <typename Device>
UpgradeResult TransferAndRestore(Device& device, SequenceView& view, FirmwareImage& image,
                                 const uint32_t& startMs, RestoreChoice choice) {
  uint32_t lastUpdateMs = NowMs();
  if (!device.Upgrade(image.data(), image.size(), MakeProgressCallback(view, startMs, lastUpdateMs),
                      kBootLoaderWaitMs)) {
    return UpgradeResult::kFailed;
  }
  PowerCycleController(view);
  bool global = true;
  bool buttons = true;
  if (choice == RestoreChoice::kAsInitializeSaved) {
    buttons = view.ButtonConfigBackedUp();
    global = view.GlobalConfigBackedUp();
  }
  if (global || buttons) {
    RestoreConfiguration(device, view, global, buttons);
  }
  return UpgradeResult::kSucceeded;
}

}  // namespace upgrade_steps
