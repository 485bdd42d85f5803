// The backup folder as padwright doctor checks it (see DoctorBackups.h): written for real
// with a file the size of a backup, flushed and removed, so that a full or read-only disk
// shows here and not when an update must keep the configuration; then what it holds, and a
// backup that never went back, this user's or (for a run without root) root's, and each file
// that is kept but not read, with why.
#include "frontends/terminal/DoctorBackups.h"

#include <string>
#include <vector>

#include "frontends/terminal/BackupNotice.h"
#include "platform/PrintableText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/backups/BackupStore.h"
#include "workflows/backups/KeptUnreadText.h"

namespace {

std::string Counted(const std::vector<BackupEntry>& entries) {
  size_t sound = 0;
  for (const BackupEntry& entry : entries) {
    sound += entry.Sound() ? 1 : 0;
  }
  std::string text = sound == 0   ? std::string("no saved backup")
                     : sound == 1 ? std::string("1 saved backup")
                                  : std::to_string(sound) + " saved backups";
  const size_t unread = entries.size() - sound;
  if (unread > 0) {
    // Named one a line below.
    text +=
        " (and " + std::to_string(unread) + (unread == 1 ? " file" : " files") + " kept, not read)";
  }
  return text;
}

// The folder's state as one finding, after its probe.
Finding FolderFinding(PosixBackupFolder& backups, const std::vector<BackupEntry>& entries) {
  const char* label = "Backups";
  std::string text = EscapeControls(backups.Path()) + " can be written; " + Counted(entries);
  const BackupEntry* last = NewestEntryWhere(entries, [](const BackupEntry& entry) {
    return entry.Sound() && entry.sequence >= kLargestSequence;
  });
  if (last != nullptr) {
    return {label, Verdict::kProblem,
            text + "; but " + EscapeControls(backups.PathOf(last->name)) +
                " carries the largest backup number, so no new backup can be saved: move it "
                "out of the folder"};
  }
  const BackupEntry* pending =
      NewestEntryWhere(entries, [](const BackupEntry& entry) { return entry.Pending(); });
  if (pending != nullptr) {
    return {label, Verdict::kNote,
            text + "; the configuration saved on " + LocalTime(pending->backup) +
                " never went back: " + CommandHint("restore") +
                " (a controller in normal mode) or " + CommandHint("recover FILE") +
                " (one in its boot loader) writes it"};
  }
  int64_t rootsUtcMs = 0;
  if (RootsPendingBackup(&rootsUtcMs)) {
    return {label, Verdict::kNote, text + ". Root's: " + PendingText(rootsUtcMs, true)};
  }
  const BackupEntry* newest =
      NewestEntryWhere(entries, [](const BackupEntry& entry) { return entry.Sound(); });
  if (newest != nullptr) {
    return {label, Verdict::kOk, text + ", the newest from " + LocalTime(newest->backup)};
  }
  return {label, Verdict::kOk, text};
}

}  // namespace

std::vector<Finding> CheckBackups(PosixBackupFolder& backups) {
  const char* label = "Backups";
  if (!ProbeBackupFolder(&backups)) {
    return {{label, Verdict::kProblem,
             EscapeControls(backups.Path() + " cannot be written (" + backups.LastError()) +
                 "): an update keeps the configuration there before it sends anything"}};
  }
  std::vector<BackupEntry> entries;
  if (!ListBackups(&backups, &entries)) {
    return {{label, Verdict::kProblem,
             EscapeControls(backups.Path() + " cannot be listed (" + backups.LastError() + ")")}};
  }
  std::vector<Finding> findings = {FolderFinding(backups, entries)};
  // Each file that is not read, and why: it decides nothing, but it may be the user's.
  for (const BackupEntry& entry : entries) {
    if (!entry.Sound()) {
      findings.push_back({"Backup file", Verdict::kNote,
                          EscapeControls(backups.PathOf(entry.name)) + ": " +
                              EscapeControls(ToUtf8(KeptUnreadText(entry)))});
    }
  }
  return findings;
}
