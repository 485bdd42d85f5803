// Running one command of padwright (see CommandRunner.h).
#include "frontends/terminal/CommandRunner.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "device/linux/HidrawScan.h"
#include "frontends/terminal/BatteryPreflight.h"
#include "frontends/terminal/FlashSpan.h"
#include "frontends/terminal/InstanceLock.h"
#include "frontends/terminal/InterruptGuard.h"
#include "frontends/terminal/PowerPreflight.h"
#include "frontends/terminal/RecoveryOffer.h"
#include "platform/PrintableText.h"
#include "padwright/Version.h"
#include "workflows/RunRecorder.h"

namespace {

int Refuse(const std::string& message) {
  std::fprintf(stderr, "%s\n", EscapeControls(message, true).c_str());
  return kExitRefused;
}

// Takes the single-instance lock; the refusal's exit status when another run holds it, else
// 0 (a lock that cannot be had at all is said, and the command goes on unguarded).
int TakeLock(InstanceLock& lock) {
  switch (lock.Acquire()) {
    case InstanceLock::Result::kAcquired:
      break;
    case InstanceLock::Result::kHeldElsewhere:
      std::fprintf(stderr, "An instance is already running!\npadwright: %s is in progress\n",
                   OtherRunText(lock.Holder()).c_str());
      return kExitAnotherInstance;
    case InstanceLock::Result::kUnavailable:
      std::fprintf(stderr,
                   "padwright: cannot use the lock file %s (%s); not guarded against a "
                   "second instance\n",
                   EscapeControls(InstanceLock::Path()).c_str(),
                   EscapeControls(lock.Error()).c_str());
      break;
  }
  return 0;
}

// The checks before a flash: the power switch, then the battery. False with `reason`.
bool MayFlash(LinuxPlatform& platform, const CommandRequest& request, std::string* reason) {
  return CheckPowerSwitch(platform.memory, reason) &&
         (request.ignoreBattery || CheckBattery(platform.power, reason));
}

// The view's reach beyond the terminal: the flash span, logind's sleep inhibitor, the
// pending signal and the question of a restore again (once the context exists).
TerminalViewHooks MakeHooks(FlashSpan& flashSpan, FILE* log, CommandContext*& asking) {
  TerminalViewHooks hooks;
  hooks.flashBegins = [&flashSpan] { flashSpan.Begin(); };
  hooks.flashEnds = [&flashSpan] { flashSpan.End(); };
  hooks.keepAwake = [log] { return KeepMachineAwake(log); };
  hooks.stopRequested = [] { return interrupt_guard::PendingSignal() != 0; };
  hooks.askRetry = [&asking] { return asking != nullptr && AskRestoreAgain(*asking); };
  return hooks;
}

}  // namespace

int RunCommand(const CommandRequest& request, LinuxPlatform& platform) {
  const CommandSpec& command = *request.command;
  SetHidrawScanLog(platform.log);
  FirmwareChoice firmware;
  std::string reason;
  if (command.mayFlash && !ChooseFirmware(request.operand, &firmware, &reason)) {
    return Refuse(reason);
  }
  FlashSpan flashSpan(platform.log);
  CommandContext* asking = nullptr;
  // Each sequence of the command leaves its record in the history beside the backups.
  RunRecorder recorder(platform.context, "terminal", PADWRIGHT_VERSION_TEXT);
  TerminalViewHooks hooks = MakeHooks(flashSpan, platform.log, asking);
  hooks.recorder = &recorder;
  TerminalView view(stdout, isatty(STDOUT_FILENO) == 1, std::move(hooks), platform.clock);
  CommandContext context{.link = platform.link,
                         .view = view,
                         .runContext = platform.context,
                         .backups = platform.backups,
                         .memory = platform.memory,
                         .power = platform.power,
                         .operand = request.operand,
                         .firmware = firmware,
                         .interactive = isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1,
                         .assumeYes = request.assumeYes,
                         .ignoreBattery = request.ignoreBattery,
                         .json = request.json,
                         .run = {}};
  asking = &context;
  InstanceLock lock;
  if (const int refused = command.needsLock ? TakeLock(lock) : 0) {
    return refused;
  }
  if (command.mayFlash && !MayFlash(platform, request, &reason)) {
    return Refuse(reason);
  }
  return command.run(context);
}
