// The saved backups in a run's backup folder (null: none): saving a new one (keeping the
// newest 20 of those that need not go back), listing them newest first with the damaged ones
// marked, changing a backup's state, and keeping the folder's note of the newest pending one
// in step. "Newest" follows the backups' sequence numbers, not the clock. A file that does not
// read as sound (damaged, of a later format, unreadable now) decides nothing: it gives no
// sequence number, is never removed and is not counted among the kept. Each call reads the
// folder afresh: another run of the tool may have changed it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/BackupFolder.h"
#include "workflows/backups/BackupEntry.h"
#include "workflows/backups/BackupFormat.h"

inline constexpr size_t kKeptBackups = 20;

// Saves `backup` with the next sequence number under a name made from its time (a
// millisecond later while that name is taken), then removes the oldest backups beyond the
// newest kKeptBackups among those that are not pending: a pending one is never removed.
// A copy saved while a backup is pending is not the user's configuration: one given as
// kSaved is saved set aside. `savedAs`, when given, receives the state it was saved with.
// False when it could not be saved (no folder, the write failed, or no number is left
// below kLargestSequence: then `noNumberLeft`, when given, is set and nothing is written).
bool SaveBackup(BackupFolder* folder, const SavedBackup& backup, std::string* name,
                BackupState* savedAs = nullptr, bool* noNumberLeft = nullptr);
// Every backup file in the folder, newest first, damaged ones included. False when the
// folder cannot be read (or there is none).
bool ListBackups(BackupFolder* folder, std::vector<BackupEntry>* entries);
// The backup called `name`, read and checked.
BackupEntry LoadBackup(BackupFolder* folder, const std::string& name);
// Rewrites backup `name` with `state`; false when it is not sound or cannot be written
// (`reason`, when given, then says why).
bool SetBackupState(BackupFolder* folder, const std::string& name, BackupState state,
                    std::wstring* reason = nullptr);
// The newest backup that `where` accepts, when the folder can be read and holds one.
bool NewestBackupWhere(BackupFolder* folder, bool (*where)(const BackupEntry&), BackupEntry* entry);
// The newest sound backup (damaged newer ones skipped), when there is one.
bool NewestSoundBackup(BackupFolder* folder, BackupEntry* entry);
// Tells `folder` the time of the newest pending backup, or that none is pending, so that it
// can keep a note of it for runs that cannot read the backups themselves. Saving and
// changing a backup's state keep that note; a run that finds it stale (a backup changed by
// hand) can set it right.
void NotePendingBackups(BackupFolder* folder);
// Writes, flushes and removes a file the size of a full backup, so that a folder that is
// full or read-only shows before a backup is needed. False when any of that fails.
bool ProbeBackupFolder(BackupFolder* folder);
