// padwright restore [BACKUP]: writes the newest sound saved backup, or the backup named, to
// a controller in normal mode, without any transfer.
#include <string>
#include <utility>
#include <vector>

#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"
#include "frontends/terminal/SharedController.h"
#include "workflows/BackupStore.h"
#include "workflows/RestoreSequence.h"

namespace {

// The backup named on the command line: a file in the backup folder (by its name or path)
// keeps its state there; a file elsewhere is only read.
bool LoadNamedBackup(CommandContext& context, const std::string& path, BackupEntry* entry,
                     bool* inFolder) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // A name as `backups` lists it, or the folder's own path: the backup in the folder.
  if (IsBackupFileName(name) && (slash == std::string::npos || folder == context.backups.Path())) {
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
    context.view.PrintLine("padwright: " + elsewhere.LastError());
    return false;
  }
  entry->damage = ParseBackup(text, &entry->backup);
  return true;
}

// The newest sound saved backup; each damaged newer one is named.
bool FindNewestBackup(CommandContext& context, BackupEntry* found) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(&entries)) {
    context.view.PrintLine("padwright: " + context.backups.LastError());
    return false;
  }
  for (BackupEntry& entry : entries) {
    if (entry.Sound()) {
      *found = std::move(entry);
      return true;
    }
    context.view.PrintLine(std::string("Skipped a damaged saved backup (") +
                           DamageText(entry.damage) + "): " + context.backups.PathOf(entry.name));
  }
  context.view.PrintLine("No saved configuration backup in " + context.backups.Path() + ".");
  HintAtRootsBackups(context);
  return false;
}

}  // namespace

int RunRestore(CommandContext& context) {
  const std::string& path = context.operand;
  BackupEntry entry;
  bool inFolder = true;
  if (path.empty() ? !FindNewestBackup(context, &entry)
                   : !LoadNamedBackup(context, path, &entry, &inFolder)) {
    return kExitRefused;
  }
  if (!entry.Sound()) {
    context.view.PrintLine("padwright: " + path + " is no backup to write back (" +
                           DamageText(entry.damage) + ").");
    return kExitRefused;
  }
  uint8_t block[kGlobalConfigSize] = {};
  if (!context.link.ReadGlobalConfig(block, kGlobalConfigSize, kProbeOpenMs * 10)) {
    context.view.PrintLine(
        "The controller does not answer in normal mode; nothing was written. A controller "
        "left in its boot loader needs: padwright recover");
    return kExitFailed;
  }
  NoticeControllerHolders(context);
  // A file from elsewhere is written, but no state of it is kept.
  const std::string name = inFolder ? entry.name : std::string();
  const bool restored = RestoreSequence(context.link, context.view, name, entry.backup);
  context.view.FinishLine();
  return restored ? kExitSuccess : kExitFailed;
}
