// The steps of update and recover (see FlashSteps.h).
#include "frontends/terminal/FlashSteps.h"

#include <string>

#include "device/linux/HidrawDevice.h"
#include "frontends/terminal/InterruptGuard.h"
#include "frontends/terminal/RecoveryOffer.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"

namespace {

FlashStep Exit(int status) {
  return {FlashStep::Kind::kExit, Attempt::kUpgrade, status};
}

int ExitStatusOf(UpgradeResult result) {
  switch (result) {
    case UpgradeResult::kSucceeded:
      return kExitSuccess;
    case UpgradeResult::kRestoreFailed:  // the firmware is in, the configuration is not back
      return kExitConfigurationNotRestored;
    case UpgradeResult::kPowerSwitchUnavailable:
    case UpgradeResult::kBatteryLow:
    case UpgradeResult::kImageUnreadable:
    case UpgradeResult::kBackupNotSaved:
    case UpgradeResult::kNoBackupNumberLeft:
    case UpgradeResult::kPendingNotMarked:
    case UpgradeResult::kControllerHidden:
    case UpgradeResult::kControllerHeld:
      return kExitRefused;
    case UpgradeResult::kFailed:
      break;
  }
  return kExitFailed;
}

// What the sequence's outcome leaves unsaid on a terminal: how the configuration goes back
// later. (Why a backup could not be saved is on its status line.)
void ExplainResult(CommandContext& context, UpgradeResult result) {
  if (result == UpgradeResult::kRestoreFailed) {
    context.view.PrintLine(
        "The configuration is kept in a saved backup; write it back later with: " +
        CommandHint("restore"));
  }
}

// After an upgrade failed: what it left, and the recovery offered when one fits.
FlashStep AfterFailedUpgrade(CommandContext& context, Attempt attempt) {
  Recovery recovery = ExplainFailedUpgrade(context, attempt == Attempt::kUpgrade);
  if (recovery == Recovery::kNone) {
    return Exit(kExitFailed);
  }
  if (interrupt_guard::PendingSignal() != 0 || attempt == Attempt::kAfterInitialize) {
    // Put off during the flash, or already recovered once: ask nothing more, say how to go on.
    context.view.PrintLine("To bring the controller back, run: " +
                           CommandHint("recover", context.firmware.shown));
    return Exit(kExitFailed);
  }
  if (attempt == Attempt::kForcedUpgrade) {
    recovery = Recovery::kThroughInitialize;  // a fresh boot loader, by the power cycle
  }
  if (!OfferRecovery(context)) {
    return Exit(kExitFailed);
  }
  return recovery == Recovery::kForcedUpgrade
             ? FlashStep{FlashStep::Kind::kForcedUpgrade, Attempt::kForcedUpgrade}
             : FlashStep{FlashStep::Kind::kInitialize, Attempt::kUpgrade, kExitFailed};
}

// What follows an upgrade that ended with `result`: its outcome explained, the version line
// (as the window reads it again), and after a failure what it left.
FlashStep AfterUpgrade(CommandContext& context, Attempt attempt, UpgradeResult result) {
  context.view.FinishLine();
  ExplainResult(context, result);
  if (context.view.TakeRefreshRequest() && interrupt_guard::PendingSignal() == 0) {
    PrintVersionLine(context);
  }
  if (result != UpgradeResult::kFailed) {
    return Exit(ExitStatusOf(result));
  }
  return AfterFailedUpgrade(context, attempt);
}

// Initialize with HOME held; once the boot loader is seen, the forced upgrade follows.
FlashStep InitializeStep(CommandContext& context, int statusIfCancelled) {
  if (!AskToHoldHome(context)) {
    context.view.PrintLine("Recovery not started; later, run: " +
                           CommandHint("recover", context.firmware.shown));
    return Exit(statusIfCancelled);
  }
  const InitializeResult found = InitializeSequence(context.link, context.runContext, context.view,
                                                    context.run, [] { return CHidrawDevice(); });
  if (found == InitializeResult::kPowerSwitchUnavailable ||
      found == InitializeResult::kBatteryLow || found == InitializeResult::kControllerHidden ||
      found == InitializeResult::kControllerHeld) {
    return Exit(kExitRefused);  // checked before, but lost since: still nothing was touched
  }
  if (found != InitializeResult::kBootLoaderFound) {
    // A signal put off during the power cycle stops the command here, as a failure: the
    // controller has been switched off and on.
    context.view.PrintLine(interrupt_guard::PendingSignal() != 0
                               ? "Stopped before the boot loader was found; to go on, run: " +
                                     CommandHint("recover", context.firmware.shown)
                               : "The boot loader did not appear. Hold HOME down from the "
                                 "start and try again.");
    return Exit(kExitFailed);
  }
  return {FlashStep::Kind::kForcedUpgrade, Attempt::kAfterInitialize};
}

// One upgrade, normal or forced, then what follows it.
FlashStep UpgradeStep(CommandContext& context, const FlashStep& step) {
  context.link.ForgetUpgrade();
  const UpgradeResult result =
      step.kind == FlashStep::Kind::kUpgrade
          ? UpgradeSequence(context.link, context.runContext, context.view, context.run,
                            context.firmware.path)
          : ForceUpgradeSequence(context.link, context.runContext, context.view, context.run,
                                 context.firmware.path);
  return AfterUpgrade(
      context, step.kind == FlashStep::Kind::kUpgrade ? Attempt::kUpgrade : step.attempt, result);
}

}  // namespace

int RunFlashSteps(CommandContext& context, FlashStep step) {
  for (;;) {
    switch (step.kind) {
      case FlashStep::Kind::kUpgrade:
      case FlashStep::Kind::kForcedUpgrade:
        step = UpgradeStep(context, step);
        break;
      case FlashStep::Kind::kInitialize:
        step = InitializeStep(context, step.status);
        break;
      case FlashStep::Kind::kExit:
        return step.status;
    }
  }
}
