// What the commands say about the saved backups beyond their own work: a backup that never
// went back, and where root's backups are for a run without root.
#pragma once

#include <string>

#include "frontends/terminal/CommandContext.h"
#include "workflows/BackupFormat.h"

// When the newest saved backup never went back and the controller answers in normal mode,
// one line that names `padwright restore` (status, update and recover say it first).
void NoticePendingBackup(CommandContext& context);
// Backups that root's runs made are not readable to others: says where they are.
void HintAtRootsBackups(CommandContext& context);
// When `backup` was taken, in local time to the minute.
std::string LocalTime(const SavedBackup& backup);
// How long a probe of the controller waits for it to appear.
inline constexpr uint32_t kProbeOpenMs = 100;
