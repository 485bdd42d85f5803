// One file of the backup folder as the store read it: its name, whether it is sound, the
// backup it holds, and what its text still says when it is not sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workflows/backups/BackupFormat.h"

struct BackupEntry {
  std::string name;                           // file name in the backup folder
  BackupDamage damage = BackupDamage::kNone;  // kNone: `backup` holds it
  SavedBackup backup;
  // Its place in the order: the backup's sequence number, or for a damaged file the number
  // its text still names (0 when none).
  int64_t sequence = 0;
  int format = 0;            // the format version its text names (0: none)
  bool saysPending = false;  // not sound, but its text says it is pending
  // Why it could not be read (kUnreadable), or why a change of its state failed, as the
  // folder said it.
  std::wstring reason;
  bool Sound() const { return damage == BackupDamage::kNone; }
  bool Pending() const { return Sound() && backup.state == BackupState::kPending; }
};

// The first of `entries` (newest first, as the store lists them) that `where` accepts, so the
// newest such backup; null when none does.
const BackupEntry* NewestEntryWhere(const std::vector<BackupEntry>& entries,
                                    bool (*where)(const BackupEntry&));
