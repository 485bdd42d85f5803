// The saved backups in the bound backup folder (see BackupStore.h).
#include "workflows/BackupStore.h"

#include <algorithm>
#include <functional>

#include "platform/BackupFolder.h"

namespace {

// The backup file names of the folder, newest first (their names sort by time).
bool BackupNamesNewestFirst(BackupFolder& folder, std::vector<std::string>* names) {
  std::vector<std::string> all;
  if (!folder.List(&all)) {
    return false;
  }
  names->clear();
  for (const std::string& name : all) {
    if (IsBackupFileName(name)) {
      names->push_back(name);
    }
  }
  std::sort(names->begin(), names->end(), std::greater<>());
  return true;
}

BackupEntry Load(BackupFolder& folder, const std::string& name) {
  BackupEntry entry;
  entry.name = name;
  std::string text;
  entry.damage =
      folder.Read(name, &text) ? ParseBackup(text, &entry.backup) : BackupDamage::kUnreadable;
  return entry;
}

}  // namespace

bool SaveBackup(const SavedBackup& backup, std::string* name) {
  BackupFolder* folder = GetBackupFolder();
  std::vector<std::string> names;
  if (folder == nullptr || !BackupNamesNewestFirst(*folder, &names)) {
    return false;
  }
  SavedBackup stamped = backup;
  while (std::find(names.begin(), names.end(), BackupFileName(stamped.takenUtcMs)) != names.end()) {
    ++stamped.takenUtcMs;
  }
  const std::string chosen = BackupFileName(stamped.takenUtcMs);
  if (!folder->Write(chosen, FormatBackup(stamped))) {
    return false;
  }
  *name = chosen;
  // Keep the newest ones; the new backup is among them unless the clock went back a lot.
  names.push_back(chosen);
  std::sort(names.begin(), names.end(), std::greater<>());
  for (size_t i = kKeptBackups; i < names.size(); ++i) {
    if (names[i] != chosen) {
      folder->Remove(names[i]);
    }
  }
  return true;
}

bool ListBackups(std::vector<BackupEntry>* entries) {
  BackupFolder* folder = GetBackupFolder();
  std::vector<std::string> names;
  if (folder == nullptr || !BackupNamesNewestFirst(*folder, &names)) {
    return false;
  }
  entries->clear();
  for (const std::string& name : names) {
    entries->push_back(Load(*folder, name));
  }
  return true;
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
  entry.backup.state = state;
  return folder->Write(name, FormatBackup(entry.backup));
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
