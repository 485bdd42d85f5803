// Backing up the controller's configuration into this run's copies, and keeping those copies
// on disk. Each block is read into a scratch copy first: only a complete read replaces the
// run's copy and marks it held, so a read that fails part-way never spoils a good copy made
// earlier in the run.
#pragma once

#include <cstdint>

#include "device/ConfigBlocks.h"
#include "workflows/RunContext.h"
#include "workflows/RunState.h"

namespace backup_steps {

// How long each backup waits for the controller to appear.
inline constexpr uint32_t kBackupOpenMs = 1000;

template <typename Block, typename Read>
bool BackUp(HeldCopy<Block>& held, Read read) {
  Block copy{};
  if (!read(copy)) {
    return false;
  }
  held.block = copy;
  held.backedUp = true;
  held.backupName.clear();  // not on disk until saved
  held.setAside = false;
  return true;
}

template <typename Device>
bool BackUpButtonConfig(Device& device, RunState& run) {
  return BackUp(run.buttons, [&](ButtonConfig& copy) {
    return device.ReadButtonConfig(copy.data(), kBackupOpenMs);
  });
}

template <typename Device>
bool BackUpGlobalConfig(Device& device, RunState& run) {
  return BackUp(run.global, [&](GlobalConfig& copy) {
    return device.ReadGlobalConfig(copy.data(), kGlobalConfigSize, kBackupOpenMs);
  });
}

enum class SaveResult {
  kSaved,
  kNotSaved,      // the folder could not be read or written (it says why)
  kNoNumberLeft,  // a saved backup carries the largest sequence number
};

// Saves the blocks just read (the global block, the button table, or both) as one new
// backup in the context's folder, taken now on its clock, and notes its name beside those copies,
// and whether it was set aside (read while another backup was pending).
SaveResult SaveCopies(const RunContext& context, RunState& run, bool global, bool buttons);

}  // namespace backup_steps
