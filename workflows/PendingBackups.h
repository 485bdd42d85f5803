// The saved backups that still have to go back to the controller. A pending backup is the
// user's configuration until it is written back or the user declines it: a write-back takes
// each block from the newest pending backup that holds it, before anything else.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "workflows/BackupStore.h"

// For each block, the saved backup that it comes from (none: no such backup holds it).
struct BlockSources {
  std::optional<BackupEntry> global;
  std::optional<BackupEntry> buttons;
  bool Empty() const { return !global && !buttons; }
};

// For each block, the newest pending backup of `entries` (newest first) that holds it.
BlockSources PendingSources(const std::vector<BackupEntry>& entries);
// The same for the bound folder; false when it cannot be read (then `sources` is empty).
bool FindPendingSources(BlockSources* sources);
// The newest pending backup, when there is one.
bool NewestPendingBackup(BackupEntry* entry);
// Marks every pending backup declined (the user keeps what the controller holds now) and
// gives the ones it declined, newest first. False when the folder cannot be read or a
// backup could not be rewritten (those stay pending and are not in `declined`).
bool DeclinePendingBackups(std::vector<BackupEntry>* declined);
// Tells the bound folder the time of the newest pending backup, or that none is pending,
// so that it can keep a note of it for runs that cannot read the backups themselves.
void NotePendingBackups();
