// The saved backups on the command line: restore, backups, and the notice of a backup that
// never went back (see Commands.h).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frontends/terminal/Commands.h"
#include "platform/TimeText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/BackupStore.h"
#include "workflows/RestoreSequence.h"

namespace {

constexpr uint32_t kProbeOpenMs = 100;

std::string LocalTime(const SavedBackup& backup) {
  return ToUtf8(LocalMinuteText(backup.takenUtcMs));
}

std::string BlocksHeld(const SavedBackup& backup) {
  if (backup.global && backup.buttons) {
    return "global+buttons";
  }
  return backup.global ? "global" : "buttons";
}

std::string StateText(BackupState state) {
  switch (state) {
    case BackupState::kSaved:
      return "saved";
    case BackupState::kPending:
      return "PENDING";
    case BackupState::kWrittenBack:
      return "written back";
    case BackupState::kDeclined:
      return "not written back";
  }
  return "saved";
}

// Backups that root's runs made are not readable to others: say where they are.
void HintAtRootsBackups(CommandSetting& setting) {
  struct stat info {};
  if (geteuid() != 0 && stat("/var/lib/padwright", &info) == 0) {
    setting.view.PrintLine(
        "Backups made with sudo are kept for root: run sudo padwright backups or sudo "
        "padwright restore.");
  }
}

// The backup named on the command line: a file in the backup folder (by its name or path)
// keeps its state there; a file elsewhere is only read.
bool LoadNamedBackup(CommandSetting& setting, const std::string& path, BackupEntry* entry,
                     bool* inFolder) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // A name as `backups` lists it, or the folder's own path: the backup in the folder.
  if (IsBackupFileName(name) && (slash == std::string::npos || folder == setting.backups.Path())) {
    *entry = LoadBackup(name);
    *inFolder = entry->damage != BackupDamage::kUnreadable;
    if (*inFolder) {
      return true;
    }
  }
  *inFolder = false;
  PosixBackupFolder elsewhere(folder);
  std::string text;
  entry->name = path;
  if (!elsewhere.Read(name, &text)) {
    setting.view.PrintLine("padwright: " + elsewhere.LastError());
    return false;
  }
  entry->damage = ParseBackup(text, &entry->backup);
  return true;
}

// The newest sound saved backup; each damaged newer one is named.
bool FindNewestBackup(CommandSetting& setting, BackupEntry* found) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(&entries)) {
    setting.view.PrintLine("padwright: " + setting.backups.LastError());
    return false;
  }
  for (BackupEntry& entry : entries) {
    if (entry.Sound()) {
      *found = std::move(entry);
      return true;
    }
    setting.view.PrintLine(std::string("Skipped a damaged saved backup (") +
                           DamageText(entry.damage) + "): " + setting.backups.PathOf(entry.name));
  }
  setting.view.PrintLine("No saved configuration backup in " + setting.backups.Path() + ".");
  HintAtRootsBackups(setting);
  return false;
}

}  // namespace

void NoticePendingBackup(CommandSetting& setting) {
  BackupEntry newest;
  if (!NewestSoundBackup(&newest) || newest.backup.state != BackupState::kPending) {
    return;
  }
  uint8_t block[kGlobalConfigSize] = {};
  if (!setting.link.ReadGlobalConfig(block, kGlobalConfigSize, kProbeOpenMs)) {
    return;  // not in normal mode: recover is what it needs, and it restores this backup
  }
  setting.view.PrintLine("The configuration saved on " + LocalTime(newest.backup) +
                         " was not written back to the controller; write it back with: "
                         "padwright restore");
}

int RunRestore(CommandSetting& setting, const std::string& path) {
  BackupEntry entry;
  bool inFolder = true;
  if (path.empty() ? !FindNewestBackup(setting, &entry)
                   : !LoadNamedBackup(setting, path, &entry, &inFolder)) {
    return kExitRefused;
  }
  if (!entry.Sound()) {
    setting.view.PrintLine("padwright: " + path + " is no backup to write back (" +
                           DamageText(entry.damage) + ").");
    return kExitRefused;
  }
  uint8_t block[kGlobalConfigSize] = {};
  if (!setting.link.ReadGlobalConfig(block, kGlobalConfigSize, kProbeOpenMs * 10)) {
    setting.view.PrintLine(
        "The controller does not answer in normal mode; nothing was written. A controller "
        "left in its boot loader needs: padwright recover");
    return kExitFailed;
  }
  // A file from elsewhere is written, but no state of it is kept.
  const std::string name = inFolder ? entry.name : std::string();
  const bool restored = RestoreSequence(setting.link, setting.view, name, entry.backup);
  setting.view.FinishLine();
  return restored ? kExitSuccess : kExitFailed;
}

int RunBackups(CommandSetting& setting) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(&entries)) {
    setting.view.PrintLine("padwright: " + setting.backups.LastError());
    return kExitFailed;
  }
  if (entries.empty()) {
    setting.view.PrintLine("No saved configuration backup in " + setting.backups.Path() + ".");
    HintAtRootsBackups(setting);
    return kExitSuccess;
  }
  for (const BackupEntry& entry : entries) {
    const std::string path = setting.backups.PathOf(entry.name);
    if (!entry.Sound()) {
      setting.view.PrintLine(std::string("damaged (") + DamageText(entry.damage) + ")  " + path);
      continue;
    }
    const SavedBackup& backup = entry.backup;
    char line[160];
    std::snprintf(line, sizeof(line), "%s  firmware %-3s mode %-3s %-15s %-17s",
                  LocalTime(backup).c_str(),
                  backup.global ? std::to_string(FirmwareVersion(*backup.global)).c_str() : "-",
                  backup.global ? std::to_string(ControllerMode(*backup.global)).c_str() : "-",
                  BlocksHeld(backup).c_str(), StateText(backup.state).c_str());
    setting.view.PrintLine(line + path);
  }
  return kExitSuccess;
}
