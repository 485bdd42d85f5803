// The names of saved backups in the backup folder: made from the time a backup was taken,
// for the people who look into the folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The file name of a backup taken at `utcMs`: "backup-2026-12-07T17-53-16.123Z.txt". True
// for names of that form.
std::string BackupFileName(int64_t utcMs);
bool IsBackupFileName(std::string_view name);
