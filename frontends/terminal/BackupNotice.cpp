// What the commands say about the saved backups (see BackupNotice.h).
#include "frontends/terminal/BackupNotice.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/TimeText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/BackupStore.h"

std::string LocalTime(const SavedBackup& backup) {
  return ToUtf8(LocalMinuteText(backup.takenUtcMs));
}

void HintAtRootsBackups(CommandContext& context) {
  struct stat info {};
  if (geteuid() != 0 && stat("/var/lib/padwright", &info) == 0) {
    context.view.PrintLine(
        "Backups made with sudo are kept for root: run sudo padwright backups or sudo "
        "padwright restore.");
  }
}

void NoticePendingBackup(CommandContext& context) {
  BackupEntry newest;
  if (!NewestSoundBackup(&newest) || newest.backup.state != BackupState::kPending) {
    return;
  }
  uint8_t block[kGlobalConfigSize] = {};
  if (!context.link.ReadGlobalConfig(block, kGlobalConfigSize, kProbeOpenMs)) {
    return;  // not in normal mode: recover is what it needs, and it restores this backup
  }
  context.view.PrintLine("The configuration saved on " + LocalTime(newest.backup) +
                         " was not written back to the controller; write it back with: "
                         "padwright restore");
}
