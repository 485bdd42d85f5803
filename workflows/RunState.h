// What one run of the tool keeps between its sequences: for each block of the controller's
// configuration, the last complete copy that a backup of this run read (by Update or
// Initialize), and the saved backup on disk that keeps the same copy. The front end owns one
// for the whole run and hands it to each sequence; only one sequence that touches it runs at
// a time (the window's busy mark, the command's one sequence after another).
#pragma once

#include <string>

#include "device/ConfigBlocks.h"

template <typename Block>
struct HeldCopy {
  Block block{};           // zero until a complete read
  bool backedUp = false;   // `block` holds a complete read of this run; never cleared
  std::string backupName;  // the saved backup that keeps it (empty: not on disk)
  // Read while a saved backup was pending: what the controller held then is not the user's
  // configuration, so a pending backup's block goes back in its place, and its backup is
  // never made pending.
  bool setAside = false;
};

struct RunState {
  HeldCopy<GlobalConfig> global;
  HeldCopy<ButtonConfig> buttons;
};
