// What the commands say about the saved backups (see BackupNotice.h).
#include "frontends/terminal/BackupNotice.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/PrintableText.h"
#include "platform/TimeText.h"
#include "platform/linux/PendingMarker.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/backups/KeptUnreadText.h"
#include "workflows/backups/PendingBackups.h"

std::string LocalTime(const SavedBackup& backup) {
  return ToUtf8(LocalMinuteText(backup.takenUtcMs));
}

void HintAtRootsBackups(CommandContext& context) {
  struct stat info {};
  if (geteuid() != 0 && stat("/var/lib/padwright", &info) == 0) {
    context.view.PrintLine("Backups made with sudo are kept for root: run " +
                           CommandHint("backups", true) + " or " + CommandHint("restore", true) +
                           ".");
  }
}

std::string PendingText(int64_t takenUtcMs, bool roots) {
  return "The configuration saved on " + ToUtf8(LocalMinuteText(takenUtcMs)) +
         " was not written back to the controller; write it back with: " +
         CommandHint("restore", roots || geteuid() == 0);
}

bool RootsPendingBackup(int64_t* takenUtcMs) {
  return geteuid() != 0 && ReadPendingMarker(kRootPendingMarker, takenUtcMs);
}

void NoticePendingBackup(CommandContext& context) {
  // Root's runs keep the note for other users true, also after a backup was changed by hand.
  NotePendingBackups(&context.backups);
  // Never taken for absent: the user's configuration may be in it, and nothing writes it back.
  for (const BackupEntry& damaged : DamagedPendingBackups(&context.backups)) {
    context.view.PrintLine("NOTE: " + EscapeControls(ToUtf8(KeptUnreadText(damaged))) +
                           "; its configuration cannot be written back: " +
                           EscapeControls(context.backups.PathOf(damaged.name)));
  }
  BackupEntry newest;
  int64_t takenUtcMs = 0;
  const bool own = NewestPendingBackup(&context.backups, &newest);
  if (!own && !RootsPendingBackup(&takenUtcMs)) {
    return;
  }
  uint8_t block[kGlobalConfigSize] = {};
  if (!context.link.ReadGlobalConfig(block, kGlobalConfigSize, kProbeOpenMs)) {
    return;  // not in normal mode: recover is what it needs, and it restores this backup
  }
  context.view.PrintLine(own ? PendingText(newest.backup.takenUtcMs, false)
                             : PendingText(takenUtcMs, true));
}
