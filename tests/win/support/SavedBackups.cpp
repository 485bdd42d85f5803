// The product's saved configuration backups as a test sees them (see SavedBackups.h).
#include "tests/win/support/SavedBackups.h"

#include <string>

#include "platform/win/WinBackupFolder.h"
#include "platform/win/WindowsClock.h"

namespace {

CWinBackupFolder& Folder() {
  static WindowsClock clock;
  static CWinBackupFolder folder(CWinBackupFolder::DefaultPath(), clock);
  return folder;
}

}  // namespace

std::vector<BackupEntry> SavedBackups() {
  std::vector<BackupEntry> entries;
  ListBackups(&Folder(), &entries);
  return entries;
}

void MarkNewestBackup(BackupState state) {
  BackupEntry newest;
  if (NewestSoundBackup(&Folder(), &newest)) {
    SetBackupState(&Folder(), newest.name, state);
  }
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
