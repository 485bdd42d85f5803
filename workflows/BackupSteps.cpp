// Keeping the configuration just read on disk (see BackupSteps.h).
#include "workflows/BackupSteps.h"

#include <string>

#include "workflows/backups/BackupStore.h"

namespace backup_steps {

SaveResult SaveCopies(const RunContext& context, RunState& run, bool global, bool buttons) {
  SavedBackup backup;
  backup.takenUtcMs = context.clock.UtcMs();
  if (global) {
    backup.global = run.Global().block;
  }
  if (buttons) {
    backup.buttons = run.Buttons().block;
  }
  std::string name;
  BackupState savedAs = BackupState::kSaved;
  bool noNumberLeft = false;
  if (!SaveBackup(context.backups, backup, &name, &savedAs, &noNumberLeft)) {
    return noNumberLeft ? SaveResult::kNoNumberLeft : SaveResult::kNotSaved;
  }
  run.CopiesSaved(global, buttons, name, savedAs == BackupState::kSetAside);
  return SaveResult::kSaved;
}

}  // namespace backup_steps
