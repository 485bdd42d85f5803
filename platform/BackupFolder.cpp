// Binding of the process-wide backup folder.
#include "platform/BackupFolder.h"

#include <atomic>

namespace {

std::atomic<BackupFolder*> boundFolder{nullptr};

}  // namespace

BackupFolder* GetBackupFolder() {
  return boundFolder.load(std::memory_order_acquire);
}

void BindBackupFolder(BackupFolder* folder) {
  boundFolder.store(folder, std::memory_order_release);
}
