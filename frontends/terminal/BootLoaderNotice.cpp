// What the commands say of a controller waiting in its boot loader (see BootLoaderNotice.h).
#include "frontends/terminal/BootLoaderNotice.h"

#include <optional>

#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandContext.h"
#include "platform/TimeText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/backups/PendingBackups.h"

std::string RecoverFromBootLoaderText(BackupFolder& backups) {
  // recover needs /dev/mem, so root's run is the usual one; a user's own pending backup is
  // written back only by a run of that user.
  std::string command = CommandHint("recover FILE", true);
  std::optional<int64_t> pendingUtcMs;
  BackupEntry newest;
  int64_t rootsUtcMs = 0;
  if (NewestPendingBackup(&backups, &newest)) {
    command = CommandHint("recover FILE");
    pendingUtcMs = newest.backup.takenUtcMs;
  } else if (RootsPendingBackup(&rootsUtcMs)) {
    pendingUtcMs = rootsUtcMs;
  }
  std::string text = command + " writes the firmware again";
  if (pendingUtcMs) {
    text += ", then the configuration saved on " + ToUtf8(LocalMinuteText(*pendingUtcMs));
  }
  return text;
}
