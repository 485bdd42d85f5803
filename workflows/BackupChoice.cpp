// Which saved backup each block comes from (see BackupChoice.h).
#include "workflows/BackupChoice.h"

#include <algorithm>
#include <iterator>

namespace {

// Fills the blocks still missing from the backups that `accept` takes, newest first. Gives
// the place just after the last backup it took from (0 when it took none).
template <typename Accept>
size_t TakeNewest(const std::vector<BackupEntry>& entries, bool global, bool buttons,
                  BlockSources* sources, Accept accept) {
  size_t end = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const BackupEntry& entry = entries[i];
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
    if (takeGlobal || takeButtons) {
      end = i + 1;
    }
  }
  return end;
}

}  // namespace

BlockSources PendingSources(const std::vector<BackupEntry>& entries) {
  BlockSources sources;
  TakeNewest(entries, true, true, &sources,
             [](const BackupEntry& entry) { return entry.Pending(); });
  return sources;
}

bool FindPendingSources(BlockSources* sources) {
  std::vector<BackupEntry> entries;
  *sources = BlockSources{};
  if (!ListBackups(&entries)) {
    return false;
  }
  *sources = PendingSources(entries);
  return true;
}

std::vector<BackupEntry> AddNewestSaved(const std::vector<BackupEntry>& entries, bool global,
                                        bool buttons, BlockSources* sources) {
  const size_t usual = TakeNewest(entries, global, buttons, sources, [](const BackupEntry& entry) {
    return entry.Sound() && entry.backup.state != BackupState::kSetAside;
  });
  const size_t setAside =
      TakeNewest(entries, global, buttons, sources, [](const BackupEntry& entry) {
        return entry.Sound() && entry.backup.state == BackupState::kSetAside;
      });
  const size_t end = std::max(usual, setAside) > 0 ? std::max(usual, setAside) : entries.size();
  std::vector<BackupEntry> passed;
  std::copy_if(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(end),
               std::back_inserter(passed), [](const BackupEntry& entry) { return !entry.Sound(); });
  return passed;
}
