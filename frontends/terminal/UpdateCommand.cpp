// padwright update [FILE]: the normal upgrade, and after a failure what it left and the
// recovery that fits, in the same run.
#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"
#include "frontends/terminal/FlashSteps.h"
#include "frontends/terminal/SharedController.h"

int RunUpdate(CommandContext& context) {
  NoticePendingBackup(context);
  NoticeControllerHolders(context);
  return RunFlashSteps(context, {FlashStep::Kind::kUpgrade});
}
