// Which saved backup each block comes from (see BackupChoice.h).
#include "workflows/backups/BackupChoice.h"

#include <algorithm>

namespace {

// Fills the blocks still missing from the backups that `accept` takes, newest first.
template <typename Accept>
void TakeNewest(const std::vector<BackupEntry>& entries, bool global, bool buttons,
                BlockSources* sources, Accept accept) {
  for (const BackupEntry& entry : entries) {
    if (!accept(entry)) {
      continue;
    }
    const bool takeGlobal = global && !sources->global && entry.backup.global;
    const bool takeButtons = buttons && !sources->buttons && entry.backup.buttons;
    if (takeGlobal) {
      sources->global = entry;
    }
    if (takeButtons) {
      sources->buttons = entry;
    }
  }
}

}  // namespace

BlockSources PendingSources(const std::vector<BackupEntry>& entries) {
  BlockSources sources;
  TakeNewest(entries, true, true, &sources,
             [](const BackupEntry& entry) { return entry.Pending(); });
  return sources;
}

bool FindPendingSources(BackupFolder* folder, BlockSources* sources) {
  std::vector<BackupEntry> entries;
  *sources = BlockSources{};
  if (!ListBackups(folder, &entries)) {
    return false;
  }
  *sources = PendingSources(entries);
  return true;
}

void AddNewestSaved(const std::vector<BackupEntry>& entries, bool global, bool buttons,
                    BlockSources* sources) {
  // Only the backups newer than the newest declined one: the user chose what the controller
  // held then over it, and so over every older copy too.
  const auto declined = std::find_if(entries.begin(), entries.end(), [](const BackupEntry& entry) {
    return entry.Sound() && entry.backup.state == BackupState::kDeclined;
  });
  const std::vector<BackupEntry> newer(entries.begin(), declined);
  TakeNewest(newer, global, buttons, sources, [](const BackupEntry& entry) {
    return entry.Sound() && entry.backup.state != BackupState::kSetAside;
  });
  TakeNewest(newer, global, buttons, sources, [](const BackupEntry& entry) {
    return entry.Sound() && entry.backup.state == BackupState::kSetAside;
  });
}
