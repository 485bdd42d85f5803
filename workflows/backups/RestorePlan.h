// What a restore writes back to the controller: for each block, the copy chosen, the saved
// backups on disk that keep those copies (so that they can be marked pending while the
// controller's own copy may be gone, and written back once the restore completed), and what
// the status line says about where the copies come from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/ConfigBlocks.h"
#include "platform/BackupFolder.h"
#include "workflows/backups/BackupFormat.h"
#include "workflows/RunState.h"
#include "workflows/SequenceView.h"

struct RestorePlan {
  std::optional<GlobalConfig> global;
  std::optional<ButtonConfig> buttons;
  std::vector<std::string> backups;  // file names in the backup folder, each once
  // In the order of the saved backups, newest first: "Skipped a damaged saved backup (...)"
  // for each damaged one passed over, "Using the configuration saved on ..." for each used.
  std::vector<std::wstring> notes;
  // Why its backups could not be marked pending when the transfer was to begin (said with
  // the refusal).
  std::wstring markFailure;

  bool Empty() const { return !global && !buttons; }
  void AddBackup(const std::string& name);
};

// What a write-back takes, block by block. A pending saved backup is the user's
// configuration until it goes back or is declined, so first the newest pending backup that
// holds the block; else this run's copy; else the newest sound saved backup, copies set
// aside (read while another was pending) only when no other holds the block.
RestorePlan ChooseWriteBack(BackupFolder* folder, const RunState& run);

// The plan of one saved backup as it stands (a restore of that backup alone).
RestorePlan PlanFromBackup(const std::string& name, const SavedBackup& backup);

// Says the plan's notes on the status line, one after the other.
void SayWhereFrom(SequenceView& view, const RestorePlan& plan);

// "Using the configuration saved on YYYY-MM-DD HH:MM" (local time).
std::wstring UsingBackupText(const SavedBackup& backup);

// Gives every backup of the plan `state`; a backup that cannot be rewritten keeps its old
// state (its copy stays usable all the same). False when one could not be rewritten; then
// `reason`, when given, says why.
bool MarkBackups(BackupFolder* folder, const RestorePlan& plan, BackupState state,
                 std::wstring* reason = nullptr);
