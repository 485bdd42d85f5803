// The recovery as the command offers it (see RecoveryOffer.h).
#include "frontends/terminal/RecoveryOffer.h"

#include <string>

#include "frontends/terminal/FailureDiagnosis.h"
#include "frontends/terminal/InterruptGuard.h"
#include "frontends/terminal/KeyCountdown.h"

namespace {

// The countdowns of the recovery: the offer after a failed update, and the time to get a
// hand on HOME before the controller is switched off and on.
constexpr int kOfferSeconds = 10;
constexpr int kHoldHomeSeconds = 5;
// How many times a failed restore is offered again on a terminal.
constexpr int kRestoreOffers = 3;

// `updateBackedUp`: the configuration was read and saved before this transfer, so it is
// what goes back.
void PrintRecoveryProcedure(TerminalView& view, bool updateBackedUp) {
  view.PrintLine(
      std::string("The controller did not take the firmware. To bring it back:\n"
                  "  1. Hold the controller's HOME button down when the recovery asks for "
                  "it.\n"
                  "  2. Release HOME when asked, about 3 seconds later.\n"
                  "  3. Once the boot loader is found, the firmware is written again and\n") +
      (updateBackedUp ? "     the configuration saved before the update is restored."
                      : "     the newest saved configuration backup, if there is "
                        "one, is restored."));
}

}  // namespace

Recovery ExplainFailedUpgrade(CommandContext& context, bool backedUpBeforeTransfer) {
  const std::string& shownPath = context.firmware.shown;
  const CommandLink::Reached reached = context.link.UpgradeReached();
  switch (DiagnoseFailedUpgrade(context.link)) {
    case FailedUpgrade::kTransferCut:
      PrintRecoveryProcedure(context.view, backedUpBeforeTransfer);
      return Recovery::kThroughInitialize;
    case FailedUpgrade::kBootLoaderWaiting:
      context.view.PrintLine(
          "The controller is waiting in its boot loader; nothing was changed. The recovery\n"
          "writes the firmware at once (no HOME button needed), then the newest saved\n"
          "configuration backup, if there is one.");
      return Recovery::kForcedUpgrade;
    case FailedUpgrade::kNoController:
      context.view.PrintLine("No controller found; nothing was changed.");
      if (reached == CommandLink::Reached::kRestartAsked) {
        context.view.PrintLine(
            "It went away when asked to restart into its boot loader. If it does not come "
            "back, run: " +
            CommandHint("recover", shownPath));
      }
      return Recovery::kNone;
    case FailedUpgrade::kNotAnswering:
      context.view.PrintLine(
          "The controller does not answer; nothing was changed. Close the programs that may "
          "hold it (Steam, game launchers, remapping tools) and try again.");
      return Recovery::kNone;
    case FailedUpgrade::kNoRestart:
      context.view.PrintLine(
          "The controller did not restart into its boot loader; nothing was changed. Try "
          "again; if it keeps failing, " +
          CommandHint("recover", shownPath) + " takes it there with the HOME button.");
      return Recovery::kNone;
  }
  return Recovery::kNone;
}

bool OfferRecovery(CommandContext& context) {
  const std::string& shownPath = context.firmware.shown;
  if (context.assumeYes) {
    return true;
  }
  if (!context.interactive) {
    context.view.PrintLine("Run: " + CommandHint("recover", shownPath));
    return false;
  }
  const CountdownEnd end = RunCountdown(fileno(context.in), stdout, kOfferSeconds, [](int left) {
    return left == 0 ? std::string("Starting the recovery.")
                     : "Starting the recovery in " + std::to_string(left) +
                           " s (n: not now, Enter: at once)";
  });
  if (end == CountdownEnd::kDeclined) {
    context.view.PrintLine("Later, run: " + CommandHint("recover", shownPath));
    return false;
  }
  return true;
}

bool AskToHoldHome(CommandContext& context) {
  context.view.PrintLine("Hold the controller's HOME button down now.");
  if (context.assumeYes || !context.interactive) {
    return true;
  }
  return RunCountdown(fileno(context.in), stdout, kHoldHomeSeconds, [](int left) {
           return left == 0
                      ? std::string("Starting; keep HOME held.")
                      : "Starting in " + std::to_string(left) + " s; keep HOME held (n: cancel)";
         }) != CountdownEnd::kDeclined;
}

bool AskRestoreAgain(CommandContext& context) {
  if (!context.interactive || interrupt_guard::PendingSignal() != 0) {
    return false;
  }
  // Yes unless n is typed, as the recovery's offer: no keyboard needed. A controller that
  // keeps failing is not written to for ever while nobody watches: after a few rounds the
  // backup is left for padwright restore.
  if (context.run.RestoreOfferedAgain() > kRestoreOffers) {
    return false;
  }
  context.view.PrintLine("Write the saved configuration again? [Y/n]");
  return RunCountdown(fileno(context.in), stdout, kOfferSeconds, [](int left) {
           return left == 0 ? std::string("Writing it again.")
                            : "Writing it again in " + std::to_string(left) +
                                  " s (n: not now, Enter: at once)";
         }) != CountdownEnd::kDeclined;
}
