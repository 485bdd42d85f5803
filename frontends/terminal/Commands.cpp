// The commands of padwright (see Commands.h).
#include "frontends/terminal/Commands.h"

#include "frontends/terminal/FailureDiagnosis.h"
#include "frontends/terminal/InterruptGuard.h"
#include "frontends/terminal/KeyCountdown.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"
#include "workflows/VersionLine.h"

namespace {

// The countdowns of the recovery: the offer after a failed update, and the time to get a
// hand on HOME before the controller is switched off and on.
constexpr int kOfferSeconds = 10;
constexpr int kHoldHomeSeconds = 5;
// How many times a failed restore is offered again on a terminal.
constexpr int kRestoreOffers = 3;

// The version line, as the window shows it.
bool PrintVersionLine(CommandSetting& setting) {
  std::wstring line;
  const bool read = ReadVersionLine(setting.link, &line);
  setting.view.PrintLine(ToUtf8(line));
  return read;
}

// Reads the controller's version again when the sequence asked for it, as the window does.
void ShowVersionAfterSequence(CommandSetting& setting) {
  if (setting.view.TakeRefreshRequest() && interrupt_guard::PendingSignal() == 0) {
    PrintVersionLine(setting);
  }
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
      return kExitRefused;
    case UpgradeResult::kFailed:
      break;
  }
  return kExitFailed;
}

// What the sequence's outcome leaves unsaid on a terminal: why the backup could not be
// saved, and how the configuration goes back later.
void ExplainResult(CommandSetting& setting, UpgradeResult result) {
  if (result == UpgradeResult::kBackupNotSaved) {
    setting.view.PrintLine("padwright: " + setting.backups.LastError());
  } else if (result == UpgradeResult::kRestoreFailed) {
    setting.view.PrintLine(
        "The configuration is kept in a saved backup; write it back later with: padwright "
        "restore");
  }
}

// How the recovery was reached, which decides what it may promise and offer again.
enum class Attempt {
  kUpdate,           // the normal upgrade: the recovery that fits is offered
  kForcedUpgrade,    // the forced upgrade alone, on a boot loader that was there already:
                     // the recovery through Initialize is offered
  kAfterInitialize,  // the whole recovery: nothing more is offered, the command is named
};

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

// The recovery that fits what a failed upgrade left.
enum class Recovery { kNone, kThroughInitialize, kForcedUpgrade };

// Says what a failed upgrade left on the controller, and which recovery fits it.
Recovery ExplainFailedUpgrade(CommandSetting& setting, const std::string& shownPath,
                              Attempt attempt) {
  const CommandLink::Reached reached = setting.link.UpgradeReached();
  switch (DiagnoseFailedUpgrade(setting.link)) {
    case FailedUpgrade::kTransferCut:
      PrintRecoveryProcedure(setting.view, attempt == Attempt::kUpdate);
      return Recovery::kThroughInitialize;
    case FailedUpgrade::kBootLoaderWaiting:
      setting.view.PrintLine(
          "The controller is waiting in its boot loader; nothing was changed. The recovery\n"
          "writes the firmware at once (no HOME button needed), then the newest saved\n"
          "configuration backup, if there is one.");
      return Recovery::kForcedUpgrade;
    case FailedUpgrade::kNoController:
      setting.view.PrintLine("No controller found; nothing was changed.");
      if (reached == CommandLink::Reached::kRestartAsked) {
        setting.view.PrintLine(
            "It went away when asked to restart into its boot loader. If it does not come "
            "back, run: padwright recover " +
            shownPath);
      }
      return Recovery::kNone;
    case FailedUpgrade::kNotAnswering:
      setting.view.PrintLine(
          "The controller does not answer; nothing was changed. Close the programs that may "
          "hold it (Steam, game launchers, remapping tools) and try again.");
      return Recovery::kNone;
    case FailedUpgrade::kNoRestart:
      setting.view.PrintLine(
          "The controller did not restart into its boot loader; nothing was changed. Try "
          "again; if it keeps failing, padwright recover " +
          shownPath + " takes it there with the HOME button.");
      return Recovery::kNone;
  }
  return Recovery::kNone;
}

// The offer of the recovery: on a terminal it starts by itself after a countdown unless the
// user types n; without one nothing is asked, and the command to run is named.
bool OfferRecovery(CommandSetting& setting, const std::string& shownPath) {
  if (setting.assumeYes) {
    return true;
  }
  if (!setting.interactive) {
    setting.view.PrintLine("Run: padwright recover " + shownPath);
    return false;
  }
  const CountdownEnd end = RunCountdown(fileno(setting.in), stdout, kOfferSeconds, [](int left) {
    return left == 0 ? std::string("Starting the recovery.")
                     : "Starting the recovery in " + std::to_string(left) +
                           " s (n: not now, Enter: at once)";
  });
  if (end == CountdownEnd::kDeclined) {
    setting.view.PrintLine("Later, run: padwright recover " + shownPath);
    return false;
  }
  return true;
}

// Asks for HOME to be held before Initialize power-cycles the controller; on a terminal the
// recovery then starts after a countdown (n cancels it). False when it is cancelled.
bool AskToHoldHome(CommandSetting& setting) {
  setting.view.PrintLine("Hold the controller's HOME button down now.");
  if (setting.assumeYes || !setting.interactive) {
    return true;
  }
  return RunCountdown(fileno(setting.in), stdout, kHoldHomeSeconds, [](int left) {
           return left == 0
                      ? std::string("Starting; keep HOME held.")
                      : "Starting in " + std::to_string(left) + " s; keep HOME held (n: cancel)";
         }) != CountdownEnd::kDeclined;
}

int ForcedUpgrade(CommandSetting& setting, const std::filesystem::path& path,
                  const std::string& shownPath, Attempt attempt);
int RecoverThroughInitialize(CommandSetting& setting, const std::filesystem::path& path,
                             const std::string& shownPath, int statusIfCancelled);

// After an upgrade failed: what it left, and the recovery offered when one fits.
int AfterFailedUpgrade(CommandSetting& setting, const std::filesystem::path& path,
                       const std::string& shownPath, Attempt attempt) {
  Recovery recovery = ExplainFailedUpgrade(setting, shownPath, attempt);
  if (recovery == Recovery::kNone) {
    return kExitFailed;
  }
  if (interrupt_guard::PendingSignal() != 0 || attempt == Attempt::kAfterInitialize) {
    // Put off during the flash, or already recovered once: ask nothing more, say how to go on.
    setting.view.PrintLine("To bring the controller back, run: padwright recover " + shownPath);
    return kExitFailed;
  }
  if (attempt == Attempt::kForcedUpgrade) {
    recovery = Recovery::kThroughInitialize;  // a fresh boot loader, by the power cycle
  }
  if (!OfferRecovery(setting, shownPath)) {
    return kExitFailed;
  }
  // The same process and view: the recovery restores what this run backed up.
  return recovery == Recovery::kForcedUpgrade
             ? ForcedUpgrade(setting, path, shownPath, Attempt::kForcedUpgrade)
             : RecoverThroughInitialize(setting, path, shownPath, kExitFailed);
}

// What follows an upgrade that ended with `result`: its outcome explained, the version line,
// and after a failure what it left; the exit status.
int EndUpgrade(CommandSetting& setting, const std::filesystem::path& path,
               const std::string& shownPath, Attempt attempt, UpgradeResult result) {
  setting.view.FinishLine();
  ExplainResult(setting, result);
  if (interrupt_guard::PendingSignal() == 0) {
    ShowVersionAfterSequence(setting);
  }
  if (result != UpgradeResult::kFailed) {
    return ExitStatusOf(result);
  }
  return AfterFailedUpgrade(setting, path, shownPath, attempt);
}

int ForcedUpgrade(CommandSetting& setting, const std::filesystem::path& path,
                  const std::string& shownPath, Attempt attempt) {
  setting.link.ForgetUpgrade();
  return EndUpgrade(setting, path, shownPath, attempt,
                    ForceUpgradeSequence(setting.link, setting.view, setting.run, path));
}

// Initialize with HOME held, then the forced upgrade once the boot loader is seen.
// `statusIfCancelled`: the exit status when the user stops it before it starts.
int RecoverThroughInitialize(CommandSetting& setting, const std::filesystem::path& path,
                             const std::string& shownPath, int statusIfCancelled) {
  if (!AskToHoldHome(setting)) {
    setting.view.PrintLine("Recovery not started; later, run: padwright recover " + shownPath);
    return statusIfCancelled;
  }
  const InitializeResult found =
      InitializeSequence(setting.link, setting.view, setting.run, [] { return CHidrawDevice(); });
  if (found == InitializeResult::kPowerSwitchUnavailable ||
      found == InitializeResult::kBatteryLow) {
    return kExitRefused;  // checked before, but lost since: still nothing was touched
  }
  if (found != InitializeResult::kBootLoaderFound) {
    // A signal put off during the power cycle stops the command here, as a failure: the
    // controller has been switched off and on.
    setting.view.PrintLine(interrupt_guard::PendingSignal() != 0
                               ? "Stopped before the boot loader was found; to go on, run: "
                                 "padwright recover " +
                                     shownPath
                               : "The boot loader did not appear. Hold HOME down from the "
                                 "start and try again.");
    return kExitFailed;
  }
  return ForcedUpgrade(setting, path, shownPath, Attempt::kAfterInitialize);
}

}  // namespace

int RunStatus(CommandSetting& setting) {
  return PrintVersionLine(setting) ? kExitSuccess : kExitFailed;
}

bool AskRestoreAgain(CommandSetting& setting) {
  if (!setting.interactive || interrupt_guard::PendingSignal() != 0) {
    return false;
  }
  // Yes unless n is typed, as the recovery's offer: no keyboard needed. A controller that
  // keeps failing is not written to for ever while nobody watches: after a few rounds the
  // backup is left for padwright restore.
  if (++setting.restoreOffers > kRestoreOffers) {
    return false;
  }
  setting.view.PrintLine("Write the saved configuration again? [Y/n]");
  return RunCountdown(fileno(setting.in), stdout, kOfferSeconds, [](int left) {
           return left == 0 ? std::string("Writing it again.")
                            : "Writing it again in " + std::to_string(left) +
                                  " s (n: not now, Enter: at once)";
         }) != CountdownEnd::kDeclined;
}

int RunUpdate(CommandSetting& setting, const std::filesystem::path& path,
              const std::string& shownPath) {
  setting.link.ForgetUpgrade();
  return EndUpgrade(setting, path, shownPath, Attempt::kUpdate,
                    UpgradeSequence(setting.link, setting.view, setting.run, path));
}

int RunRecover(CommandSetting& setting, const std::filesystem::path& path,
               const std::string& shownPath) {
  if (BootLoaderPresent()) {
    setting.view.PrintLine(
        "The controller is waiting in its boot loader: the firmware is written at once, no "
        "HOME button needed.");
    return ForcedUpgrade(setting, path, shownPath, Attempt::kForcedUpgrade);
  }
  return RecoverThroughInitialize(setting, path, shownPath, kExitRefused);
}
