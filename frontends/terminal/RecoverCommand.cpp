// padwright recover [FILE]: Initialize with HOME held, then, once the boot loader is seen,
// the forced upgrade; for a controller already waiting in its boot loader, the forced
// upgrade alone.
#include "frontends/terminal/BackupNotice.h"
#include "frontends/terminal/CommandTable.h"
#include "frontends/terminal/FailureDiagnosis.h"
#include "frontends/terminal/FlashSteps.h"
#include "frontends/terminal/SharedController.h"

int RunRecover(CommandContext& context) {
  NoticePendingBackup(context);
  NoticeControllerHolders(context);
  if (BootLoaderPresent()) {
    context.view.PrintLine(
        "The controller is waiting in its boot loader: the firmware is written at once, no "
        "HOME button needed.");
    return RunFlashSteps(context, {FlashStep::Kind::kForcedUpgrade, Attempt::kForcedUpgrade});
  }
  // Cancelled before it began: nothing was touched.
  return RunFlashSteps(context, {FlashStep::Kind::kInitialize, Attempt::kUpgrade, kExitRefused});
}
