// The saved backups that still have to go back to the controller (a transfer began after
// they were taken, and no restore of them completed): finding the newest, declining them
// all, and the damaged files that say they are pending. Built on the store, which keeps the
// folder's note of the newest pending one itself.
#pragma once

#include <vector>

#include "workflows/backups/BackupStore.h"

// The newest pending backup, when there is one.
bool NewestPendingBackup(BackupFolder* folder, BackupEntry* entry);
// Marks every pending backup declined (the user keeps what the controller holds now) and
// gives the ones it declined, newest first. False when the folder cannot be read or a
// backup could not be rewritten: those stay pending and are given in `notDeclined` (when
// asked for), each with the reason in its `reason`.
bool DeclinePendingBackups(BackupFolder* folder, std::vector<BackupEntry>* declined,
                           std::vector<BackupEntry>* notDeclined = nullptr);
// The files whose text says they are pending but that do not read as sound (a checksum that
// fails, say): the user's configuration may be in one, and it cannot be written back. Newest
// first; none when the folder cannot be read.
std::vector<BackupEntry> DamagedPendingBackups(BackupFolder* folder);
