// The commands of padwright over the controller link and the terminal view: status, update
// (with the offer of the recovery after a failure), recover, the saved backups' restore and
// list, and doctor.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "frontends/terminal/CommandLink.h"
#include "frontends/terminal/TerminalView.h"
#include "platform/linux/PosixBackupFolder.h"
#include "workflows/RunState.h"

// Exit statuses of the command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitRefused = 2;
inline constexpr int kExitAnotherInstance = 3;
inline constexpr int kExitConfigurationNotRestored = 4;

struct CommandSetting {
  CommandLink& link;
  TerminalView& view;
  PosixBackupFolder& backups;  // bound as the process's backup folder
  // stdin and stdout are a terminal: the command may ask and wait for answers.
  bool interactive = false;
  // --yes: the recovery starts at once, without its countdowns, also without a terminal.
  bool assumeYes = false;
  // How often a failed restore has been offered again in this run.
  int restoreOffers = 0;
  FILE* in = stdin;
  // The configuration this run has read, for the sequences that follow in the same run.
  RunState run;
};

// Prints the version line; 1 when it cannot be read.
int RunStatus(CommandSetting& setting);
// The normal upgrade of `path` (shown to the user as `shownPath`).
int RunUpdate(CommandSetting& setting, const std::filesystem::path& path,
              const std::string& shownPath);
// Initialize with HOME held, then, once the boot loader is seen, the forced upgrade; for a
// controller already waiting in its boot loader, the forced upgrade alone.
int RunRecover(CommandSetting& setting, const std::filesystem::path& path,
               const std::string& shownPath);
// Writes the newest saved backup, or the backup file `path`, to the controller.
int RunRestore(CommandSetting& setting, const std::string& path);
// Lists the saved backups, newest first.
int RunBackups(CommandSetting& setting);

// When the newest saved backup never went back and the controller answers in normal mode,
// one line that names `padwright restore`.
void NoticePendingBackup(CommandSetting& setting);
// The terminal's question after a restore failed: try once more? (Y is the default.)
bool AskRestoreAgain(CommandSetting& setting);
