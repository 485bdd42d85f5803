// What a list of backups says of a file that is not read, and why it is kept.
#pragma once

#include <string>

#include "workflows/backups/BackupEntry.h"

// For a file that is not sound, what a list of backups says of it: "written by a newer
// version of Padwright (format 3): kept, not read", "damaged (checksum wrong): kept, not
// read", "a damaged pending backup (...)", "unreadable (reason): kept, not read".
std::wstring KeptUnreadText(const BackupEntry& entry);
