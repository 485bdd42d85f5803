// The product's saved configuration backups as a test sees them: the same folder under
// ProgramData in the test prefix, read with the product's own format.
#pragma once

#include <string>
#include <vector>

#include "workflows/backups/BackupStore.h"

// Every saved backup, newest first.
std::vector<BackupEntry> SavedBackups();
// Removes every file of the backup folder, so that a run starts with none.
void ForgetSavedBackups();
// Gives the newest saved backup `state`, as a run of the product would.
void MarkNewestBackup(BackupState state);
// Puts a file of `text` into the backup folder as `name` (a crafted one, say).
void PutSavedBackupFile(const std::string& name, const std::string& text);
