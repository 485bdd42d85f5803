// Backing up the controller's configuration into the process-wide copies, and keeping those
// copies on disk. Each block is read into a scratch copy first: only a complete read
// replaces the saved copy and marks it held, so a read that fails part-way never spoils a
// good copy made earlier in the run.
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
  savedButtonBackupName.clear();  // not on disk until saved
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
  savedGlobalBackupName.clear();
  view.SetGlobalConfigBackedUp(true);
  return true;
}

// Saves the blocks just read (the global block, the button table, or both) as one new
// backup on disk, and notes its name beside those copies. False when it could not be saved.
bool SaveCopies(bool global, bool buttons);

}  // namespace backup_steps
