// padwright status: the version line, after the notice of a backup that never went back.
#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"

int RunStatus(CommandContext& context) {
  NoticePendingBackup(context);
  return PrintVersionLine(context) ? kExitSuccess : kExitFailed;
}
