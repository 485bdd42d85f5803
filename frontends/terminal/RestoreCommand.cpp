// padwright restore [BACKUP]: writes the saved configuration back to a controller in normal
// mode, without any transfer: each block from the newest pending backup that holds it (else
// from the newest sound one), or the backup named.
#include <string>
#include <vector>

#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"
#include "frontends/terminal/SharedController.h"
#include "platform/PrintableText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/backups/BackupStore.h"
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
    *entry = LoadBackup(&context.backups, name);
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
    context.view.PrintLine("padwright: " + EscapeControls(elsewhere.LastError()));
    return false;
  }
  entry->damage = ParseBackup(text, &entry->backup);
  return true;
}

// Without a backup named: what a write-back takes (each block from the newest pending backup,
// else from the newest sound one). False, having said why, when there is nothing to take.
bool ChoosePlan(CommandContext& context, RestorePlan* plan) {
  std::vector<BackupEntry> entries;
  if (!ListBackups(&context.backups, &entries)) {
    context.view.PrintLine("padwright: " + EscapeControls(context.backups.LastError()));
    return false;
  }
  *plan = ChooseWriteBack(&context.backups, context.run);
  if (!plan->Empty()) {
    return true;
  }
  for (const std::wstring& note : plan->notes) {
    context.view.PrintLine(ToUtf8(note));  // the damaged backups passed over
  }
  context.view.PrintLine("No saved configuration backup in " +
                         EscapeControls(context.backups.Path()) + ".");
  HintAtRootsBackups(context);
  return false;
}

// The backup named on the command line, sound, as a plan of its own. False, having said why,
// when it cannot be written back.
bool NamedPlan(CommandContext& context, RestorePlan* plan) {
  const std::string& path = context.operand;
  BackupEntry entry;
  bool inFolder = true;
  if (!LoadNamedBackup(context, path, &entry, &inFolder)) {
    return false;
  }
  if (!entry.Sound()) {
    context.view.PrintLine("padwright: " + EscapeControls(path) + " is no backup to write back (" +
                           DamageText(entry.damage) + ").");
    return false;
  }
  // A file from elsewhere is written, but no state of it is kept.
  *plan = PlanFromBackup(inFolder ? entry.name : std::string(), entry.backup);
  return true;
}

}  // namespace

int RunRestore(CommandContext& context) {
  RestorePlan plan;
  if (context.operand.empty() ? !ChoosePlan(context, &plan) : !NamedPlan(context, &plan)) {
    return kExitRefused;
  }
  uint8_t block[kGlobalConfigSize] = {};
  if (!context.link.ReadGlobalConfig(block, kGlobalConfigSize, kProbeOpenMs * 10)) {
    context.view.PrintLine(
        "The controller does not answer in normal mode; nothing was written. A controller "
        "left in its boot loader needs: " +
        CommandHint("recover"));
    return kExitFailed;
  }
  NoticeControllerHolders(context);
  const bool restored = RestoreSequence(context.link, context.runContext, context.view, plan);
  context.view.FinishLine();
  return restored ? kExitSuccess : kExitFailed;
}
