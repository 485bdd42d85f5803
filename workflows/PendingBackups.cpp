// The saved backups that still have to go back (see PendingBackups.h).
#include "workflows/PendingBackups.h"

#include <optional>

#include "platform/BackupFolder.h"

bool NewestPendingBackup(BackupFolder* folder, BackupEntry* entry) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(folder, &entries)) {
    return false;
  }
  for (BackupEntry& candidate : entries) {
    if (candidate.Pending()) {
      *entry = std::move(candidate);
      return true;
    }
  }
  return false;
}

bool DeclinePendingBackups(BackupFolder* folder, std::vector<BackupEntry>* declined,
                           std::vector<BackupEntry>* notDeclined) {
  std::vector<BackupEntry> entries;
  declined->clear();
  if (notDeclined != nullptr) {
    notDeclined->clear();
  }
  if (!ListBackups(folder, &entries)) {
    return false;
  }
  bool all = true;
  for (BackupEntry& entry : entries) {
    if (!entry.Pending()) {
      continue;
    }
    if (SetBackupState(folder, entry.name, BackupState::kDeclined, &entry.reason)) {
      entry.backup.state = BackupState::kDeclined;
      declined->push_back(std::move(entry));
    } else {
      all = false;
      if (notDeclined != nullptr) {
        notDeclined->push_back(std::move(entry));
      }
    }
  }
  return all;
}

std::vector<BackupEntry> DamagedPendingBackups(BackupFolder* folder) {
  std::vector<BackupEntry> entries;
  std::vector<BackupEntry> damaged;
  if (ListBackups(folder, &entries)) {
    for (BackupEntry& entry : entries) {
      if (entry.saysPending) {
        damaged.push_back(std::move(entry));
      }
    }
  }
  return damaged;
}

void NotePendingBackups(BackupFolder* folder) {
  std::vector<BackupEntry> entries;
  if (folder == nullptr || !ListBackups(folder, &entries)) {
    return;  // nothing known: the note stays as it is
  }
  std::optional<int64_t> newest;
  for (const BackupEntry& entry : entries) {
    if (entry.Pending()) {
      newest = entry.backup.takenUtcMs;
      break;
    }
  }
  folder->NotePending(newest);
}
