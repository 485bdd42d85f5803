// What a restore writes back to the controller: for each block, the copy chosen, and the
// saved backups on disk that keep those copies (so that they can be marked pending while
// the controller's own copy may be gone, and written back once the restore completed).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/ConfigBlocks.h"
#include "workflows/BackupFormat.h"
#include "workflows/RunState.h"
#include "workflows/SequenceView.h"

struct RestorePlan {
  std::optional<GlobalConfig> global;
  std::optional<ButtonConfig> buttons;
  std::vector<std::string> backups;  // file names in the backup folder, each once

  bool Empty() const { return !global && !buttons; }
  void AddBackup(const std::string& name);
};

// The complete copies that this run of the tool holds.
RestorePlan PlanFromThisRun(const RunState& run);

// For each block the plan lacks, the block of the newest sound saved backup that holds it,
// newer damaged ones skipped. Says on the status line which saved backup it uses, and each
// damaged one it passes over.
void AddSavedBackups(RestorePlan& plan, SequenceView& view);

// The plan of one saved backup as it stands (a restore of that backup alone).
RestorePlan PlanFromBackup(const std::string& name, const SavedBackup& backup);

// "Using the configuration saved on YYYY-MM-DD HH:MM" (local time).
std::wstring UsingBackupText(const SavedBackup& backup);

// Gives every backup of the plan `state`; a backup that cannot be rewritten keeps its old
// state (its copy stays usable all the same).
void MarkBackups(const RestorePlan& plan, BackupState state);
