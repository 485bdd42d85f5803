// What one run of the tool keeps between its sequences: for each block of the controller's
// configuration, the last complete copy that a backup of this run read (by Update or
// Initialize), and the saved backup on disk that keeps the same copy; and how often a failed
// restore was offered again. The front end owns one for the whole run and hands it to each
// sequence; only one sequence that touches it runs at a time (the window's busy mark, the
// command's one sequence after another).
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

class RunState {
 public:
  // A complete read of the block: from now on it is this run's copy, held for a restore, and
  // not on disk until it is saved.
  void GlobalRead(const GlobalConfig& block) { Read(global_, block); }
  void ButtonsRead(const ButtonConfig& block) { Read(buttons_, block); }
  // The copies just read (the global block, the button table, or both) were saved as the
  // backup `backupName`; `setAside` when they were read while another backup was pending.
  void CopiesSaved(bool global, bool buttons, const std::string& backupName, bool setAside);

  const HeldCopy<GlobalConfig>& Global() const { return global_; }
  const HeldCopy<ButtonConfig>& Buttons() const { return buttons_; }

  // A failed restore is offered again: how often that has now happened in this run.
  int RestoreOfferedAgain() { return ++restoreOffers_; }

 private:
  template <typename Block>
  static void Read(HeldCopy<Block>& held, const Block& block) {
    held.block = block;
    held.backedUp = true;
    held.backupName.clear();
    held.setAside = false;
  }

  HeldCopy<GlobalConfig> global_;
  HeldCopy<ButtonConfig> buttons_;
  int restoreOffers_ = 0;
};
