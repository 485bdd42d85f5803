// The padwright command's arguments: one command (status, update, recover), an optional
// firmware file, and the options --help, --version, --verbose and --ignore-battery.
#pragma once

#include <string>
#include <vector>

enum class CommandKind { kHelp, kVersion, kStatus, kUpdate, kRecover };

struct CommandRequest {
  CommandKind kind = CommandKind::kHelp;
  std::string firmwarePath;  // empty: the single *.vxf of the current folder
  bool verbose = false;
  bool ignoreBattery = false;  // update and recover skip the battery check
};

// False with `error` set for arguments that make no command.
bool ParseCommandLine(const std::vector<std::string>& args, CommandRequest* request,
                      std::string* error);

// The text of --help.
std::string UsageText();
