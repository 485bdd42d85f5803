// Keeping the configuration just read on disk (see BackupSteps.h).
#include "workflows/BackupSteps.h"

#include <string>

#include "workflows/BackupStore.h"

namespace backup_steps {

SaveResult SaveCopies(const RunContext& context, RunState& run, bool global, bool buttons) {
  SavedBackup backup;
  backup.takenUtcMs = context.clock.UtcMs();
  if (global) {
    backup.global = run.global.block;
  }
  if (buttons) {
    backup.buttons = run.buttons.block;
  }
  std::string name;
  BackupState savedAs = BackupState::kSaved;
  bool noNumberLeft = false;
  if (!SaveBackup(context.backups, backup, &name, &savedAs, &noNumberLeft)) {
    return noNumberLeft ? SaveResult::kNoNumberLeft : SaveResult::kNotSaved;
  }
  const bool setAside = savedAs == BackupState::kSetAside;
  if (global) {
    run.global.backupName = name;
    run.global.setAside = setAside;
  }
  if (buttons) {
    run.buttons.backupName = name;
    run.buttons.setAside = setAside;
  }
  return SaveResult::kSaved;
}

}  // namespace backup_steps
