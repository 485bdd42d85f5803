// padwright decline: the user keeps what the controller holds now (set up again by hand, say):
// every saved backup that never went back is marked declined, so that nothing offers or
// writes it back any more, and each one is named.
#include <vector>

#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"
#include "platform/TimeText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/PendingBackups.h"
#include "workflows/RunRecording.h"

int RunDecline(CommandContext& context) {
  std::vector<BackupEntry> declined;
  const bool all = DeclinePendingBackups(&declined);
  RecordDecline(context.view.Recorder(), declined.size(), all);
  for (const BackupEntry& entry : declined) {
    context.view.PrintLine("Declined the configuration saved on " + LocalTime(entry.backup) +
                           "; it will not be written back: " + context.backups.PathOf(entry.name));
  }
  if (!all) {
    context.view.PrintLine("padwright: " + context.backups.LastError());
    return kExitFailed;
  }
  if (declined.empty()) {
    context.view.PrintLine("No saved configuration is waiting to be written back.");
    int64_t rootsUtcMs = 0;
    if (RootsPendingBackup(&rootsUtcMs)) {
      context.view.PrintLine("Root's is (saved on " + ToUtf8(LocalMinuteText(rootsUtcMs)) +
                             "): sudo padwright decline declines it.");
    }
  }
  return kExitSuccess;
}
