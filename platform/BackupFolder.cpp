// Binding of the process-wide backup folder.
#include "platform/BackupFolder.h"

#include "platform/ProcessBinding.h"

namespace {

constinit ProcessBinding<BackupFolder> boundFolder;

}  // namespace

BackupFolder* GetBackupFolder() {
  return boundFolder.Get();
}

void BindBackupFolder(BackupFolder* folder) {
  boundFolder.Bind(folder);
}
