// The padwright command's arguments: one command (status, update, recover, restore,
// backups, doctor), an optional firmware file or backup, and the options --help, --version,
// --verbose, --ignore-battery and --yes.
#pragma once

#include <string>
#include <vector>

enum class CommandKind {
  kHelp,
  kVersion,
  kStatus,
  kUpdate,
  kRecover,
  kRestore,
  kBackups,
  kDoctor,
};

struct CommandRequest {
  CommandKind kind = CommandKind::kHelp;
  std::string firmwarePath;  // empty: the single *.vxf of the current folder
  std::string backupPath;    // restore: empty for the newest saved backup
  bool verbose = false;
  bool ignoreBattery = false;  // update and recover skip the battery check
  bool assumeYes = false;      // the recovery starts without its countdowns
};

// False with `error` set for arguments that make no command.
bool ParseCommandLine(const std::vector<std::string>& args, CommandRequest* request,
                      std::string* error);

// The text of --help.
std::string UsageText();
