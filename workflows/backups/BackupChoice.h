// Which saved backup each block comes from when a configuration is written back. A pending
// backup is the user's configuration until it is written back or declined, so each block
// comes first from the newest pending backup that holds it. Only for a block that none
// holds does the run's own copy count, and after it the newest sound saved backup, where a
// copy set aside (read while another was pending) is taken only when nothing else holds
// the block.
#pragma once

#include <optional>
#include <vector>

#include "workflows/backups/BackupStore.h"

// For each block, the saved backup that it comes from (none: no such backup holds it).
struct BlockSources {
  std::optional<BackupEntry> global;
  std::optional<BackupEntry> buttons;
  bool Empty() const { return !global && !buttons; }
};

// For each block, the newest pending backup of `entries` (newest first) that holds it.
BlockSources PendingSources(const std::vector<BackupEntry>& entries);
// The same for `folder`; false when it cannot be read (then `sources` is empty).
bool FindPendingSources(BackupFolder* folder, BlockSources* sources);

// For each block that `sources` lacks (of those asked for), the newest sound backup of
// `entries` that holds it, copies set aside last. A declined backup is never taken, nor any
// older than it: only a restore of the one backup the user names writes it back.
void AddNewestSaved(const std::vector<BackupEntry>& entries, bool global, bool buttons,
                    BlockSources* sources);
