// One file of the backup folder (see BackupEntry.h).
#include "workflows/backups/BackupEntry.h"

#include <algorithm>

const BackupEntry* NewestEntryWhere(const std::vector<BackupEntry>& entries,
                                    bool (*where)(const BackupEntry&)) {
  const auto found = std::find_if(entries.begin(), entries.end(), where);
  return found == entries.end() ? nullptr : &*found;
}
