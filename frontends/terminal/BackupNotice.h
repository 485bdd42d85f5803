// What the commands say about the saved backups beyond their own work: a backup that never
// went back, and where root's backups are for a run without root.
#pragma once

#include <string>

#include "frontends/terminal/CommandContext.h"
#include "workflows/backups/BackupFormat.h"

// When a saved backup never went back (this user's, or for a run without root, root's as
// its note says) and the controller answers in normal mode, one line that names
// `padwright restore` (status, update and recover say it first). Before it, a NOTE line for
// each file that says it is pending but does not read as sound.
void NoticePendingBackup(CommandContext& context);
// "The configuration saved on ... was not written back to the controller; write it back
// with: padwright restore", with sudo when the backup is root's.
std::string PendingText(int64_t takenUtcMs, bool roots);
// For a run without root: the time of root's pending backup, as root's note says.
bool RootsPendingBackup(int64_t* takenUtcMs);
// Backups that root's runs made are not readable to others: says where they are.
void HintAtRootsBackups(CommandContext& context);
// When `backup` was taken, in local time to the minute.
std::string LocalTime(const SavedBackup& backup);
// How long a probe of the controller waits for it to appear.
inline constexpr uint32_t kProbeOpenMs = 100;
