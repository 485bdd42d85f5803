// Backing up the controller's configuration into the process-wide copies. Each block is read
// into a scratch copy first: only a complete read replaces the saved copy and marks it held,
// so a read that fails part-way never spoils a good copy made earlier in the run.
#pragma once

#include <cstdint>

#include "device/ConfigBlocks.h"
#include "workflows/BackupBuffers.h"
#include "workflows/SequenceView.h"

namespace backup_steps {

// How long each backup waits for the controller to appear.
inline constexpr uint32_t kBackupOpenMs = 1000;

template <typename Device>
bool BackUpButtonConfig(Device& device, SequenceView& view) {
  ButtonConfig copy{};
  if (!device.ReadButtonConfig(copy.data(), kBackupOpenMs)) {
    return false;
  }
  savedButtonConfig = copy;
  view.SetButtonConfigBackedUp(true);
  return true;
}

template <typename Device>
bool BackUpGlobalConfig(Device& device, SequenceView& view) {
  GlobalConfig copy{};
  if (!device.ReadGlobalConfig(copy.data(), kGlobalConfigSize, kBackupOpenMs)) {
    return false;
  }
  savedGlobalConfig = copy;
  view.SetGlobalConfigBackedUp(true);
  return true;
}

}  // namespace backup_steps
