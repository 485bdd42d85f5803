// The product's saved configuration backups as a test sees them (see SavedBackups.h).
#include "tests/win/support/SavedBackups.h"

#include <string>

#include "platform/win/WinBackupFolder.h"

namespace {

CWinBackupFolder& Folder() {
  static CWinBackupFolder folder(CWinBackupFolder::DefaultPath());
  return folder;
}

}  // namespace

std::vector<BackupEntry> SavedBackups() {
  BindBackupFolder(&Folder());
  std::vector<BackupEntry> entries;
  ListBackups(&entries);
  BindBackupFolder(nullptr);
  return entries;
}

void MarkNewestBackup(BackupState state) {
  BindBackupFolder(&Folder());
  BackupEntry newest;
  if (NewestSoundBackup(&newest)) {
    SetBackupState(newest.name, state);
  }
  BindBackupFolder(nullptr);
}

void ForgetSavedBackups() {
  std::vector<std::string> names;
  Folder().List(&names);
  for (const std::string& name : names) {
    Folder().Remove(name);
  }
}

void PutSavedBackupFile(const std::string& name, const std::string& text) {
  Folder().Write(name, text);
}
