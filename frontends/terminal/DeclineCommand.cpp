// padwright decline: the user keeps what the controller holds now (set up again by hand, say):
// every saved backup that never went back is marked declined, so that nothing offers or
// writes it back any more, and each one is named.
#include <vector>

#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"
#include "platform/PrintableText.h"
#include "platform/TimeText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/backups/PendingBackups.h"
#include "workflows/RunRecording.h"

int RunDecline(CommandContext& context) {
  std::vector<BackupEntry> declined;
  std::vector<BackupEntry> notDeclined;
  const bool all = DeclinePendingBackups(&context.backups, &declined, &notDeclined);
  // Taken before the record is appended in the same folder, which may fail for its own reason.
  const std::string listError = context.backups.LastError();
  RecordDecline(context.view.Recorder(), declined.size(), all);
  for (const BackupEntry& entry : declined) {
    context.view.PrintLine(
        "Declined the configuration saved on " + LocalTime(entry.backup) +
        "; it will not be written back: " + EscapeControls(context.backups.PathOf(entry.name)));
  }
  if (!all) {
    // A backup left pending is offered and written back as before: the user must know.
    for (const BackupEntry& entry : notDeclined) {
      context.view.PrintLine(
          "padwright: could not decline the configuration saved on " + LocalTime(entry.backup) +
          " (" + EscapeControls(ToUtf8(entry.reason)) +
          "); it stays pending: " + EscapeControls(context.backups.PathOf(entry.name)));
    }
    if (notDeclined.empty()) {
      context.view.PrintLine("padwright: " + EscapeControls(listError));
    }
    return kExitRefused;
  }
  if (declined.empty()) {
    context.view.PrintLine("No saved configuration is waiting to be written back.");
    int64_t rootsUtcMs = 0;
    if (RootsPendingBackup(&rootsUtcMs)) {
      context.view.PrintLine("Root's is (saved on " + ToUtf8(LocalMinuteText(rootsUtcMs)) +
                             "): " + CommandHint("decline", true) + " declines it.");
    }
  }
  return kExitSuccess;
}
