// The saved backups in a run's backup folder (null: none): saving a new one (keeping the newest 20
// of those that need not go back), listing them newest first with the damaged ones marked, and
// changing a backup's state. "Newest" follows the backups' sequence numbers, not the clock.
// A file that does not read as sound (damaged, of a later format, unreadable now) decides
// nothing: it gives no sequence number, is never removed and is not counted among the kept.
// Each call reads the folder afresh: another run of the tool may have changed it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/BackupFolder.h"
#include "workflows/BackupFormat.h"

inline constexpr size_t kKeptBackups = 20;

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
// The newest sound backup (damaged newer ones skipped), when there is one.
bool NewestSoundBackup(BackupFolder* folder, BackupEntry* entry);
// For a file that is not sound, what a list of backups says of it: "written by a newer
// version of Padwright (format 3): kept, not read", "damaged (checksum wrong): kept, not
// read", "a damaged pending backup (...)", "unreadable (reason): kept, not read".
std::wstring KeptUnreadText(const BackupEntry& entry);
// Writes, flushes and removes a file the size of a full backup, so that a folder that is
// full or read-only shows before a backup is needed. False when any of that fails.
bool ProbeBackupFolder(BackupFolder* folder);
