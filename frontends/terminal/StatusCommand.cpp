// padwright status: the version line, after the notice of a backup that never went back; for
// a controller waiting in its boot loader, the way back (recover) and what it writes back.
#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/BootLoaderNotice.h"
#include "frontends/terminal/CommandTable.h"

int RunStatus(CommandContext& context) {
  NoticePendingBackup(context);
  const VersionReading reading = PrintVersionLine(context);
  if (reading == VersionReading::kBootLoaderAlone) {
    context.view.PrintLine("The controller waits in its boot loader: " +
                           RecoverFromBootLoaderText(context.backups) + ".");
  }
  return reading == VersionReading::kRead ? kExitSuccess : kExitFailed;
}
