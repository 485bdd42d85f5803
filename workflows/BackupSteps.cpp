// Keeping the configuration just read on disk (see BackupSteps.h).
#include "workflows/BackupSteps.h"

#include <string>

#include "platform/Clock.h"
#include "workflows/BackupStore.h"

namespace backup_steps {

bool SaveCopies(RunState& run, bool global, bool buttons) {
  SavedBackup backup;
  backup.takenUtcMs = UtcNowMs();
  if (global) {
    backup.global = run.global.block;
  }
  if (buttons) {
    backup.buttons = run.buttons.block;
  }
  std::string name;
  if (!SaveBackup(backup, &name)) {
    return false;
  }
  if (global) {
    run.global.backupName = name;
  }
  if (buttons) {
    run.buttons.backupName = name;
  }
  return true;
}

}  // namespace backup_steps
