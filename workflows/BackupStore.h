// The saved backups in the bound backup folder: saving a new one (keeping the newest 20),
// listing them newest first with the damaged ones marked, and changing a backup's state.
// Each call reads the folder afresh: another run of the tool may have changed it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "workflows/BackupFormat.h"

inline constexpr size_t kKeptBackups = 20;

struct BackupEntry {
  std::string name;                           // file name in the backup folder
  BackupDamage damage = BackupDamage::kNone;  // kNone: `backup` holds it
  SavedBackup backup;
  bool Sound() const { return damage == BackupDamage::kNone; }
};

// Saves `backup` under a name made from its time (a millisecond later while that name is
// taken), then removes all but the newest kKeptBackups backups. False when it could not be
// saved (no folder bound, or the write failed).
bool SaveBackup(const SavedBackup& backup, std::string* name);
// Every backup file in the folder, newest first, damaged ones included. False when the
// folder cannot be read (or none is bound).
bool ListBackups(std::vector<BackupEntry>* entries);
// The backup called `name`, read and checked.
BackupEntry LoadBackup(const std::string& name);
// Rewrites backup `name` with `state`; false when it is not sound or cannot be written.
bool SetBackupState(const std::string& name, BackupState state);
// The newest sound backup (damaged newer ones skipped), when there is one.
bool NewestSoundBackup(BackupEntry* entry);
