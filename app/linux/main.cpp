// The padwright command: updates the controller's firmware from a Linux shell. Checks what it
// can before the controller is touched (arguments, the firmware file, another instance, the
// power switch, the battery), then runs the same sequences as the Windows window over hidraw,
// /dev/mem and a terminal view; doctor runs those checks alone and says what it found.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "device/linux/HidrawScan.h"
#include "frontends/terminal/BatteryPreflight.h"
#include "frontends/terminal/CommandLine.h"
#include "frontends/terminal/Commands.h"
#include "frontends/terminal/Doctor.h"
#include "frontends/terminal/FirmwareFile.h"
#include "frontends/terminal/FlashSpan.h"
#include "frontends/terminal/InstanceLock.h"
#include "frontends/terminal/InterruptGuard.h"
#include "frontends/terminal/LogindInhibitor.h"
#include "frontends/terminal/PowerPreflight.h"
#include "padwright/Version.h"
#include "platform/BackupFolder.h"
#include "platform/linux/DevMemPhysicalMemory.h"
#include "platform/linux/MonotonicClock.h"
#include "platform/linux/SysfsPowerSource.h"

namespace {

int Refuse(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return kExitRefused;
}

// The firmware file named, or the single *.vxf of the current folder.
bool ChooseFirmware(const CommandRequest& request, std::string* path, std::string* error) {
  if (!request.firmwarePath.empty()) {
    *path = request.firmwarePath;
    return true;
  }
  const std::vector<std::string> files = ListFirmwareFiles(".");
  if (files.size() == 1) {
    *path = files[0];
    return true;
  }
  *error = files.empty() ? "padwright: no *.vxf file in the current folder; name the file: "
                           "padwright update FILE"
                         : "padwright: several *.vxf files in the current folder; name one:";
  for (const std::string& file : files) {
    *error += "\n  " + file;
  }
  return false;
}

int RunCommand(const CommandRequest& request) {
  MonotonicClock clock;
  BindClock(&clock);
  DevMemPhysicalMemory memory;
  BindPhysicalMemory(&memory);
  SysfsPowerSource power;
  if (!request.ignoreBattery) {
    BindPowerSource(&power);  // the sequences check it again, as the window's do
  }
  FILE* log = request.verbose ? stderr : nullptr;
  SetHidrawScanLog(log);
  PosixBackupFolder backups(PosixBackupFolder::DefaultPath());
  BindBackupFolder(&backups);

  const bool flashes =
      request.kind == CommandKind::kUpdate || request.kind == CommandKind::kRecover;
  std::string shownPath;
  std::filesystem::path path;  // the same bytes, as the sequences take a path
  if (flashes) {
    std::string error;
    if (!ChooseFirmware(request, &shownPath, &error)) {
      return Refuse(error);
    }
    switch (CheckFirmwareFile(shownPath)) {
      case FirmwareCheck::kReady:
        path = std::filesystem::path(shownPath);
        break;
      case FirmwareCheck::kInvalidPath:
        return Refuse("Invalid file path: " + shownPath);
      case FirmwareCheck::kUnreadable:
        return Refuse("Read firmware file failed! (" + shownPath + ")");
    }
  }

  static CommandLink link;
  FlashSpan flashSpan(log);
  TerminalViewHooks hooks;
  hooks.flashBegins = [&flashSpan] { flashSpan.Begin(); };
  hooks.flashEnds = [&flashSpan] { flashSpan.End(); };
  hooks.keepAwake = [log] { return KeepMachineAwake(log); };
  hooks.stopRequested = [] { return interrupt_guard::PendingSignal() != 0; };
  CommandSetting* asking = nullptr;
  hooks.askRetry = [&asking] { return asking != nullptr && AskRestoreAgain(*asking); };
  TerminalView view(stdout, isatty(STDOUT_FILENO) == 1, std::move(hooks));
  CommandSetting setting{link,
                         view,
                         backups,
                         isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1,
                         request.assumeYes,
                         0,
                         stdin,
                         {}};
  asking = &setting;
  if (request.kind == CommandKind::kBackups) {
    return RunBackups(setting);  // only reads files: no lock, the controller untouched
  }

  InstanceLock lock;
  const InstanceLock::Result locked = lock.Acquire();
  const int lockError = errno;
  if (request.kind == CommandKind::kDoctor) {
    // Says what it found of the lock too, and leaves the controller alone while it is held.
    return RunDoctor(setting, {memory, power, request.ignoreBattery, locked, lockError});
  }
  switch (locked) {
    case InstanceLock::Result::kAcquired:
      break;
    case InstanceLock::Result::kHeldElsewhere:
      std::fprintf(stderr, "An instance is already running!\n");
      return kExitAnotherInstance;
    case InstanceLock::Result::kUnavailable:
      std::fprintf(stderr,
                   "padwright: cannot use the lock file %s (%s); not guarded against a "
                   "second instance\n",
                   InstanceLock::Path(), std::strerror(lockError));
      break;
  }

  if (flashes) {
    std::string reason;
    if (!CheckPowerSwitch(memory, &reason)) {
      return Refuse(reason);
    }
    if (!request.ignoreBattery && !CheckBattery(power, &reason)) {
      return Refuse(reason);
    }
  }

  if (request.kind != CommandKind::kRestore) {
    NoticePendingBackup(setting);  // status, update and recover: before they go on
  }
  switch (request.kind) {
    case CommandKind::kStatus:
      return RunStatus(setting);
    case CommandKind::kUpdate:
      return RunUpdate(setting, path, shownPath);
    case CommandKind::kRecover:
      return RunRecover(setting, path, shownPath);
    case CommandKind::kRestore:
      return RunRestore(setting, request.backupPath);
    default:
      return kExitRefused;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything: a Ctrl+C from here on either stops cleanly or is put off.
  interrupt_guard::Install();
  CommandRequest request;
  std::string error;
  if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &request, &error)) {
    std::fprintf(stderr, "padwright: %s\n%s", error.c_str(), UsageText().c_str());
    return kExitRefused;
  }
  switch (request.kind) {
    case CommandKind::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return kExitSuccess;
    case CommandKind::kVersion:
      std::printf("padwright %s\n", PADWRIGHT_VERSION_TEXT);
      return kExitSuccess;
    default:
      return RunCommand(request);
  }
}
