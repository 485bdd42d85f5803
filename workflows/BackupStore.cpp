// The saved backups in the bound backup folder (see BackupStore.h).
#include "workflows/BackupStore.h"

#include <algorithm>

#include "platform/BackupFolder.h"
#include "workflows/PendingBackups.h"

namespace {

// Written by the probe, never taken for a backup (it has no backup's name).
constexpr char kProbeName[] = "padwright-write-test";

BackupEntry Load(BackupFolder& folder, const std::string& name) {
  BackupEntry entry;
  entry.name = name;
  std::string text;
  if (!folder.Read(name, &text)) {
    entry.damage = BackupDamage::kUnreadable;
    return entry;
  }
  entry.damage = ParseBackup(text, &entry.backup);
  entry.sequence = entry.Sound() ? entry.backup.sequence : SequenceNamedIn(text);
  return entry;
}

// Numbered backups by their numbers, above the unnumbered ones of the first format; among
// equal numbers, by the time in their names.
bool NewerThan(const BackupEntry& a, const BackupEntry& b) {
  return a.sequence != b.sequence ? a.sequence > b.sequence : a.name > b.name;
}

bool ListIn(BackupFolder& folder, std::vector<BackupEntry>* entries) {
  std::vector<std::string> names;
  if (!folder.List(&names)) {
    return false;
  }
  entries->clear();
  for (const std::string& name : names) {
    if (IsBackupFileName(name)) {
      entries->push_back(Load(folder, name));
    }
  }
  std::sort(entries->begin(), entries->end(), NewerThan);
  return true;
}

bool NameTaken(const std::vector<BackupEntry>& entries, const std::string& name) {
  return std::any_of(entries.begin(), entries.end(),
                     [&](const BackupEntry& entry) { return entry.name == name; });
}

// Removes what lies beyond the newest kKeptBackups backups that are not pending. `entries`
// is the folder newest first, with the backup just saved in front.
void Prune(BackupFolder& folder, const std::vector<BackupEntry>& entries) {
  size_t kept = 0;
  for (const BackupEntry& entry : entries) {
    if (entry.Pending()) {
      continue;
    }
    if (++kept > kKeptBackups) {
      folder.Remove(entry.name);
    }
  }
}

}  // namespace

bool SaveBackup(const SavedBackup& backup, std::string* name, BackupState* savedAs) {
  BackupFolder* folder = GetBackupFolder();
  std::vector<BackupEntry> entries;
  if (folder == nullptr || !ListIn(*folder, &entries)) {
    return false;
  }
  BackupEntry saved;
  saved.backup = backup;
  // A damaged file's number is never given again either.
  saved.sequence = saved.backup.sequence = (entries.empty() ? 0 : entries.front().sequence) + 1;
  const bool anyPending = std::any_of(entries.begin(), entries.end(),
                                      [](const BackupEntry& entry) { return entry.Pending(); });
  if (saved.backup.state == BackupState::kSaved && anyPending) {
    saved.backup.state = BackupState::kSetAside;
  }
  while (NameTaken(entries, BackupFileName(saved.backup.takenUtcMs))) {
    ++saved.backup.takenUtcMs;
  }
  saved.name = BackupFileName(saved.backup.takenUtcMs);
  if (!folder->Write(saved.name, FormatBackup(saved.backup))) {
    return false;
  }
  *name = saved.name;
  if (savedAs != nullptr) {
    *savedAs = saved.backup.state;
  }
  entries.insert(entries.begin(), saved);
  Prune(*folder, entries);
  if (saved.Pending()) {
    NotePendingBackups();
  }
  return true;
}

bool ListBackups(std::vector<BackupEntry>* entries) {
  BackupFolder* folder = GetBackupFolder();
  return folder != nullptr && ListIn(*folder, entries);
}

BackupEntry LoadBackup(const std::string& name) {
  BackupFolder* folder = GetBackupFolder();
  if (folder == nullptr) {
    BackupEntry entry;
    entry.name = name;
    entry.damage = BackupDamage::kUnreadable;
    return entry;
  }
  return Load(*folder, name);
}

bool SetBackupState(const std::string& name, BackupState state) {
  BackupFolder* folder = GetBackupFolder();
  if (folder == nullptr) {
    return false;
  }
  BackupEntry entry = Load(*folder, name);
  if (!entry.Sound()) {
    return false;
  }
  if (entry.backup.state == state) {
    return true;
  }
  const bool pendingChanged = entry.Pending() || state == BackupState::kPending;
  entry.backup.state = state;
  if (!folder->Write(name, FormatBackup(entry.backup))) {
    return false;
  }
  if (pendingChanged) {
    NotePendingBackups();
  }
  return true;
}

bool NewestSoundBackup(BackupEntry* entry) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(&entries)) {
    return false;
  }
  for (BackupEntry& candidate : entries) {
    if (candidate.Sound()) {
      *entry = std::move(candidate);
      return true;
    }
  }
  return false;
}

bool ProbeBackupFolder() {
  BackupFolder* folder = GetBackupFolder();
  SavedBackup largest;
  largest.sequence = 999999999999999;  // the longest number a backup may carry
  largest.global = GlobalConfig{};
  largest.buttons = ButtonConfig{};
  largest.state = BackupState::kWrittenBack;
  return folder != nullptr && folder->Write(kProbeName, FormatBackup(largest)) &&
         folder->Remove(kProbeName);
}
