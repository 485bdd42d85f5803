// The saved backups in a backup folder (see BackupStore.h).
#include "workflows/backups/BackupStore.h"

#include <algorithm>
#include <optional>

#include "platform/BackupFolder.h"
#include "workflows/backups/KeptUnreadText.h"

namespace {

// Written by the probe, never taken for a backup (it has no backup's name).
constexpr char kProbeName[] = "padwright-write-test";

BackupEntry Load(BackupFolder& folder, const std::string& name) {
  BackupEntry entry;
  entry.name = name;
  std::string text;
  if (!folder.Read(name, &text)) {
    entry.damage = BackupDamage::kUnreadable;
    entry.reason = folder.ReadFailureText();
    return entry;
  }
  entry.damage = ParseBackup(text, &entry.backup);
  entry.format = FormatNamedIn(text);
  // A damaged file keeps its place in a list by the number it names; it decides nothing.
  entry.sequence = entry.Sound() ? entry.backup.sequence : SequenceNamedIn(text);
  // Only in the formats this program reads: another format's words may mean anything.
  const bool ownFormat = entry.damage != BackupDamage::kNotABackup &&
                         entry.damage != BackupDamage::kOtherFormat &&
                         entry.damage != BackupDamage::kLaterFormat;
  entry.saysPending = !entry.Sound() && ownFormat && PendingNamedIn(text);
  return entry;
}

// Numbered backups by their numbers, above the unnumbered ones of the first format; among
// equal numbers, by the time in their names.
bool NewerThan(const BackupEntry& a, const BackupEntry& b) {
  return a.sequence != b.sequence ? a.sequence > b.sequence : a.name > b.name;
}

bool ListIn(BackupFolder& folder, std::vector<BackupEntry>* entries) {
  std::vector<std::string> names;
  if (!folder.List(&names)) {
    return false;
  }
  entries->clear();
  for (const std::string& name : names) {
    if (IsBackupFileName(name)) {
      entries->push_back(Load(folder, name));
    }
  }
  std::sort(entries->begin(), entries->end(), NewerThan);
  return true;
}

bool NameTaken(const std::vector<BackupEntry>& entries, const std::string& name) {
  return std::any_of(entries.begin(), entries.end(),
                     [&](const BackupEntry& entry) { return entry.name == name; });
}

// Removes what lies beyond the newest kKeptBackups sound backups that are not pending.
// `entries` is the folder newest first, with the backup just saved among them. A file that
// cannot be read is never removed: it may be the user's, readable again later or by a newer
// version of the program.
void Prune(BackupFolder& folder, const std::vector<BackupEntry>& entries) {
  size_t kept = 0;
  for (const BackupEntry& entry : entries) {
    if (!entry.Sound() || entry.Pending()) {
      continue;
    }
    if (++kept > kKeptBackups) {
      folder.Remove(entry.name);
    }
  }
}

// The highest number a sound backup carries (0 for none): a damaged or foreign file's number
// could be anything, up to one that leaves no number for the next backup.
int64_t HighestSoundSequence(const std::vector<BackupEntry>& entries) {
  int64_t highest = 0;
  for (const BackupEntry& entry : entries) {
    if (entry.Sound() && entry.sequence > highest) {
      highest = entry.sequence;
    }
  }
  return highest;
}

// Tells `folder` the time of the newest pending backup it holds, or that none is pending.
void NotePendingIn(BackupFolder& folder) {
  std::vector<BackupEntry> entries;
  if (!ListIn(folder, &entries)) {
    return;  // nothing known: the note stays as it is
  }
  const BackupEntry* newest =
      NewestEntryWhere(entries, [](const BackupEntry& entry) { return entry.Pending(); });
  std::optional<int64_t> takenUtcMs;
  if (newest != nullptr) {
    takenUtcMs = newest->backup.takenUtcMs;
  }
  folder.NotePending(takenUtcMs);
}

}  // namespace

bool SaveBackup(BackupFolder* folder, const SavedBackup& backup, std::string* name,
                BackupState* savedAs, bool* noNumberLeft) {
  std::vector<BackupEntry> entries;
  if (folder == nullptr || !ListIn(*folder, &entries)) {
    return false;
  }
  const int64_t highest = HighestSoundSequence(entries);
  if (highest >= kLargestSequence) {
    if (noNumberLeft != nullptr) {
      *noNumberLeft = true;
    }
    return false;
  }
  BackupEntry saved;
  saved.backup = backup;
  saved.sequence = saved.backup.sequence = highest + 1;
  const bool anyPending = std::any_of(entries.begin(), entries.end(),
                                      [](const BackupEntry& entry) { return entry.Pending(); });
  if (saved.backup.state == BackupState::kSaved && anyPending) {
    saved.backup.state = BackupState::kSetAside;
  }
  while (NameTaken(entries, BackupFileName(saved.backup.takenUtcMs))) {
    ++saved.backup.takenUtcMs;
  }
  saved.name = BackupFileName(saved.backup.takenUtcMs);
  if (!folder->Write(saved.name, FormatBackup(saved.backup))) {
    return false;
  }
  *name = saved.name;
  if (savedAs != nullptr) {
    *savedAs = saved.backup.state;
  }
  entries.push_back(saved);
  std::sort(entries.begin(), entries.end(), NewerThan);
  Prune(*folder, entries);
  if (saved.Pending()) {
    NotePendingIn(*folder);
  }
  return true;
}

bool ListBackups(BackupFolder* folder, std::vector<BackupEntry>* entries) {
  return folder != nullptr && ListIn(*folder, entries);
}

BackupEntry LoadBackup(BackupFolder* folder, const std::string& name) {
  if (folder == nullptr) {
    BackupEntry entry;
    entry.name = name;
    entry.damage = BackupDamage::kUnreadable;
    return entry;
  }
  return Load(*folder, name);
}

bool SetBackupState(BackupFolder* folder, const std::string& name, BackupState state,
                    std::wstring* reason) {
  if (folder == nullptr) {
    return false;
  }
  BackupEntry entry = Load(*folder, name);
  if (!entry.Sound()) {
    if (reason != nullptr) {
      *reason = entry.damage == BackupDamage::kUnreadable ? entry.reason : KeptUnreadText(entry);
    }
    return false;
  }
  if (entry.backup.state == state) {
    return true;
  }
  const bool pendingChanged = entry.Pending() || state == BackupState::kPending;
  entry.backup.state = state;
  if (!folder->Write(name, FormatBackup(entry.backup))) {
    if (reason != nullptr) {
      *reason = folder->FailureText();
    }
    return false;
  }
  if (pendingChanged) {
    NotePendingIn(*folder);
  }
  return true;
}

bool NewestBackupWhere(BackupFolder* folder, bool (*where)(const BackupEntry&),
                       BackupEntry* entry) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(folder, &entries)) {
    return false;
  }
  const BackupEntry* newest = NewestEntryWhere(entries, where);
  if (newest == nullptr) {
    return false;
  }
  *entry = *newest;
  return true;
}

bool NewestSoundBackup(BackupFolder* folder, BackupEntry* entry) {
  return NewestBackupWhere(
      folder, [](const BackupEntry& candidate) { return candidate.Sound(); }, entry);
}

void NotePendingBackups(BackupFolder* folder) {
  if (folder != nullptr) {
    NotePendingIn(*folder);
  }
}

bool ProbeBackupFolder(BackupFolder* folder) {
  SavedBackup largest;
  largest.sequence = kLargestSequence;  // the longest number a backup may carry
  largest.global = GlobalConfig{};
  largest.buttons = ButtonConfig{};
  largest.state = BackupState::kWrittenBack;
  return folder != nullptr && folder->Write(kProbeName, FormatBackup(largest)) &&
         folder->Remove(kProbeName);
}
