// The commands of padwright (see Commands.h).
#include "app/linux/Commands.h"

#include "app/linux/InterruptGuard.h"
#include "platform/FormatString.h"
#include "platform/linux/Utf8Text.h"
#include "ui/resource.h"
#include "workflows/ForceUpgradeSequence.h"
#include "workflows/InitializeSequence.h"
#include "workflows/UpgradeSequence.h"

namespace {

constexpr uint32_t kVersionOpenMs = 100;

// The version line of the window.
bool ReadVersionLine(CVexapad& link, std::string* line) {
  uint8_t block[kGlobalConfigSize] = {};
  if (!link.ReadGlobalConfig(block, kGlobalConfigSize, kVersionOpenMs)) {
    *line = "Firmware Version: Error";
    return false;
  }
  *line = ToUtf8(FormatString(L"Firmware Version: %d Mode: %d", block[kFirmwareVersionByte],
                              block[kModeByte]));
  return true;
}

// Reads the controller's version again when the sequence asked for it, as the window does.
void ShowVersionAfterSequence(CommandSetting& setting) {
  if (setting.view.TakeRefreshRequest() && interrupt_guard::PendingSignal() == 0) {
    std::string line;
    ReadVersionLine(setting.link, &line);
    setting.view.PrintLine(line);
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

// Waits for Enter on the terminal; false at the end of input.
bool WaitForEnter(CommandSetting& setting) {
  for (int c = std::fgetc(setting.in); c != '\n'; c = std::fgetc(setting.in)) {
    if (c == EOF) {
      return false;
    }
  }
  return true;
}

// The answer typed before Enter; `fallback` for an empty one or the end of input.
bool Ask(CommandSetting& setting, const std::string& question, bool fallback) {
  std::fprintf(stdout, "%s %s ", question.c_str(), fallback ? "[Y/n]" : "[y/N]");
  std::fflush(stdout);
  std::string answer;
  for (int c = std::fgetc(setting.in); c != '\n' && c != EOF; c = std::fgetc(setting.in)) {
    answer += static_cast<char>(c);
  }
  if (answer.empty()) {
    return fallback;
  }
  return answer == "y" || answer == "Y" || answer == "yes";
}

void PrintRecoveryProcedure(TerminalView& view) {
  view.PrintLine(
      "The controller did not take the update. To bring it back:\n"
      "  1. Hold the controller's HOME button down and start the recovery.\n"
      "  2. Release HOME when asked, about 3 seconds later.\n"
      "  3. Once the boot loader is found, the firmware is written again and the\n"
      "     configuration saved before the update is restored.");
}

}  // namespace

int RunStatus(CommandSetting& setting) {
  std::string line;
  const bool read = ReadVersionLine(setting.link, &line);
  setting.view.PrintLine(line);
  return read ? kExitSuccess : kExitFailed;
}

bool AskRestoreAgain(CommandSetting& setting) {
  if (!setting.interactive || interrupt_guard::PendingSignal() != 0) {
    return false;
  }
  return Ask(setting, "Write the saved configuration again?", true);
}

int RunUpdate(CommandSetting& setting, const std::filesystem::path& path,
              const std::string& shownPath) {
  const UpgradeResult result = UpgradeSequence(setting.link, setting.view, path, IDC_UPDATE);
  setting.view.FinishLine();
  ExplainResult(setting, result);
  if (interrupt_guard::PendingSignal() != 0) {
    // Put off during the flash: stop now, ask nothing more, but say how to go on.
    if (result == UpgradeResult::kFailed) {
      setting.view.PrintLine("To bring the controller back, run: padwright recover " + shownPath);
    }
    return ExitStatusOf(result);
  }
  ShowVersionAfterSequence(setting);
  if (result != UpgradeResult::kFailed) {
    return ExitStatusOf(result);
  }
  PrintRecoveryProcedure(setting.view);
  if (!setting.interactive) {
    setting.view.PrintLine("Run: padwright recover " + shownPath);
    return kExitFailed;
  }
  if (!Ask(setting, "Start the recovery now?", false)) {
    setting.view.PrintLine("Later, run: padwright recover " + shownPath);
    return kExitFailed;
  }
  // The same process and view: the recovery restores what this update backed up.
  return RunRecover(setting, path);
}

int RunRecover(CommandSetting& setting, const std::filesystem::path& path) {
  if (setting.interactive) {
    setting.view.PrintLine("Hold the controller's HOME button down, then press Enter.");
    if (!WaitForEnter(setting)) {
      return kExitRefused;
    }
  } else {
    setting.view.PrintLine("Hold the controller's HOME button down now.");
  }
  const InitializeResult found =
      InitializeSequence(setting.link, setting.view, [] { return CHidrawDevice(); });
  if (found == InitializeResult::kPowerSwitchUnavailable ||
      found == InitializeResult::kBatteryLow) {
    return kExitRefused;  // checked before, but lost since: still nothing was touched
  }
  if (found != InitializeResult::kBootLoaderFound) {
    if (interrupt_guard::PendingSignal() != 0) {
      return interrupt_guard::ExitStatusFor(interrupt_guard::PendingSignal());
    }
    setting.view.PrintLine(
        "The boot loader did not appear. Hold HOME down from the start and try again.");
    return kExitFailed;
  }
  const UpgradeResult result =
      ForceUpgradeSequence(setting.link, setting.view, path, IDC_FORCE_UPDATE);
  setting.view.FinishLine();
  ExplainResult(setting, result);
  if (interrupt_guard::PendingSignal() == 0) {
    ShowVersionAfterSequence(setting);
  }
  return ExitStatusOf(result);
}
