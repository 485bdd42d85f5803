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

template <typename Device>
bool BackUpButtonConfig(Device& device, RunState& run) {
  ButtonConfig copy{};
  if (!device.ReadButtonConfig(copy.data(), kBackupOpenMs)) {
    return false;
  }
  run.ButtonsRead(copy);
  return true;
}

template <typename Device>
bool BackUpGlobalConfig(Device& device, RunState& run) {
  GlobalConfig copy{};
  if (!device.ReadGlobalConfig(copy.data(), kGlobalConfigSize, kBackupOpenMs)) {
    return false;
  }
  run.GlobalRead(copy);
  return true;
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
