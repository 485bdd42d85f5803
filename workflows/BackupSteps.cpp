// Keeping the configuration just read on disk (see BackupSteps.h).
#include "workflows/BackupSteps.h"

#include <string>

#include "platform/Clock.h"
#include "workflows/BackupStore.h"

namespace backup_steps {

bool SaveCopies(bool global, bool buttons) {
  SavedBackup backup;
  backup.takenUtcMs = UtcNowMs();
  if (global) {
    backup.global = savedGlobalConfig;
  }
  if (buttons) {
    backup.buttons = savedButtonConfig;
  }
  std::string name;
  if (!SaveBackup(backup, &name)) {
    return false;
  }
  if (global) {
    savedGlobalBackupName = name;
  }
  if (buttons) {
    savedButtonBackupName = name;
  }
  return true;
}

}  // namespace backup_steps
