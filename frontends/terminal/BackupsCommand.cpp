// padwright backups: the saved backups, newest first, with what each holds and its state; a
// file that is not read says why, and that it is kept.
#include <cstdio>
#include <string>
#include <vector>

#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"
#include "platform/PrintableText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/backups/BackupStore.h"
#include "workflows/backups/KeptUnreadText.h"
#include "workflows/backups/BackupStateNames.h"

namespace {

std::string BlocksHeld(const SavedBackup& backup) {
  if (backup.global && backup.buttons) {
    return "global+buttons";
  }
  return backup.global ? "global" : "buttons";
}

}  // namespace

int RunBackups(CommandContext& context) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(&context.backups, &entries)) {
    context.view.PrintLine("padwright: " + EscapeControls(context.backups.LastError()));
    return kExitFailed;
  }
  if (entries.empty()) {
    context.view.PrintLine("No saved configuration backup in " +
                           EscapeControls(context.backups.Path()) + ".");
    HintAtRootsBackups(context);
    return kExitSuccess;
  }
  for (const BackupEntry& entry : entries) {
    const std::string path = EscapeControls(context.backups.PathOf(entry.name));
    if (!entry.Sound()) {
      context.view.PrintLine(EscapeControls(ToUtf8(KeptUnreadText(entry))) + "  " + path);
      continue;
    }
    const SavedBackup& backup = entry.backup;
    char line[160];
    std::snprintf(line, sizeof(line), "%s  firmware %-3s mode %-3s %-15s %-17s",
                  LocalTime(backup).c_str(),
                  backup.global ? std::to_string(FirmwareVersion(*backup.global)).c_str() : "-",
                  backup.global ? std::to_string(ControllerMode(*backup.global)).c_str() : "-",
                  BlocksHeld(backup).c_str(), StateLabel(backup.state));
    context.view.PrintLine(line + path);
  }
  return kExitSuccess;
}
