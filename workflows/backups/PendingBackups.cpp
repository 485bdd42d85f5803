// The saved backups that still have to go back (see PendingBackups.h).
#include "workflows/backups/PendingBackups.h"

bool NewestPendingBackup(BackupFolder* folder, BackupEntry* entry) {
  return NewestBackupWhere(
      folder, [](const BackupEntry& candidate) { return candidate.Pending(); }, entry);
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
