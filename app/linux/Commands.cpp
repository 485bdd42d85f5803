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
    case UpgradeResult::kRestoreFailed:  // the firmware is in; the outcome said what was not
      return kExitSuccess;
    case UpgradeResult::kPowerSwitchUnavailable:
    case UpgradeResult::kBatteryLow:
    case UpgradeResult::kImageUnreadable:
      return kExitRefused;
    case UpgradeResult::kFailed:
      break;
  }
  return kExitFailed;
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

bool AskYes(CommandSetting& setting, const std::string& question) {
  std::fprintf(stdout, "%s [y/N] ", question.c_str());
  std::fflush(stdout);
  std::string answer;
  for (int c = std::fgetc(setting.in); c != '\n' && c != EOF; c = std::fgetc(setting.in)) {
    answer += static_cast<char>(c);
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

int RunUpdate(CommandSetting& setting, const std::wstring& path, const std::string& shownPath) {
  const UpgradeResult result = UpgradeSequence(setting.link, setting.view, path, IDC_UPDATE);
  setting.view.FinishLine();
  if (interrupt_guard::PendingSignal() != 0) {
    return ExitStatusOf(result);  // put off during the flash: stop now, ask nothing more
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
  if (!AskYes(setting, "Start the recovery now?")) {
    setting.view.PrintLine("Later, run: padwright recover " + shownPath);
    return kExitFailed;
  }
  // The same process and view: the recovery restores what this update backed up.
  return RunRecover(setting, path);
}

int RunRecover(CommandSetting& setting, const std::wstring& path) {
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
  if (interrupt_guard::PendingSignal() == 0) {
    ShowVersionAfterSequence(setting);
  }
  return ExitStatusOf(result);
}
