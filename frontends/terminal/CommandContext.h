// What each command of padwright works with: the controller link, the terminal view, the
// backup folder, the platform it checks, the request's settings and this run's state; and
// the command's exit statuses.
#pragma once

#include <cstdio>
#include <string>

#include "frontends/terminal/CommandLink.h"
#include "frontends/terminal/FirmwareFile.h"
#include "frontends/terminal/TerminalView.h"
#include "platform/PowerSource.h"
#include "platform/linux/DevMemPhysicalMemory.h"
#include "platform/linux/PosixBackupFolder.h"
#include "workflows/RunContext.h"
#include "workflows/RunState.h"
#include "workflows/VersionLine.h"

// Exit statuses of the command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitRefused = 2;
inline constexpr int kExitAnotherInstance = 3;
inline constexpr int kExitConfigurationNotRestored = 4;

struct CommandContext {
  CommandLink& link;
  TerminalView& view;
  // What the sequences work with; its backup folder, physical memory and power source are
  // the three below.
  const RunContext& runContext;
  PosixBackupFolder& backups;
  DevMemPhysicalMemory& memory;
  PowerSource& power;
  // The command's operand as given (a backup to restore); empty when none was.
  std::string operand;
  // update and recover: the firmware image, chosen and checked before anything else.
  FirmwareChoice firmware;
  // stdin and stdout are a terminal: the command may ask and wait for answers.
  bool interactive = false;
  // --yes: the recovery starts at once, without its countdowns, also without a terminal.
  bool assumeYes = false;
  // --ignore-battery: the battery check is skipped.
  bool ignoreBattery = false;
  // --json: history prints the records as kept.
  bool json = false;
  FILE* in = stdin;
  // What this run has read and offered, for the sequences that follow in the same run.
  RunState run;
};

// Prints the version line, as the window shows it, and says what the read found (when it
// failed: whether the controller waits in its boot loader).
VersionReading PrintVersionLine(CommandContext& context);
// How the user types the padwright command `arguments` (the program's own words) later: the
// program named as it was started, with sudo when this run is root's, for root's saved
// backups (and /dev/mem) are root's alone; `asRoot` says which.
std::string CommandHint(const std::string& arguments);
std::string CommandHint(const std::string& arguments, bool asRoot);
// The same with an operand that the user or others named (a file), quoted for the shell.
std::string CommandHint(const std::string& arguments, const std::string& operand);
