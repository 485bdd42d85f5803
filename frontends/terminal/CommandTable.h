// The commands of padwright as data: each row says what the command is called, what operand
// it takes, whether it runs only under the single-instance lock, whether it may flash the
// controller (then the firmware file, the power switch and the battery are checked before
// anything else), the handler that runs it, and what --help says of it. Each handler lives in
// a file of its own.
#pragma once

#include <span>
#include <string_view>

#include "frontends/terminal/CommandContext.h"

struct CommandSpec {
  const char* name;
  const char* operand;  // the one optional operand ("FILE", "BACKUP"), or null for none
  bool needsLock;       // refused (exit 3) while another run holds the lock
  bool mayFlash;        // writes firmware: needs an image, the power switch and the power
  int (*run)(CommandContext& context);
  const char* ownOption;  // an option that only this command reads ("--json"), or null
  // The command's help in the usage: lines of at most about 60 characters, split by '\n'.
  const char* help;
};

// The row called `name`, or null.
const CommandSpec* FindCommand(std::string_view name);
// Every row, in the order that the usage lists them.
std::span<const CommandSpec> Commands();

// The handlers (StatusCommand.cpp, UpdateCommand.cpp, ...). Each returns the exit status.
int RunStatus(CommandContext& context);
int RunUpdate(CommandContext& context);
int RunRecover(CommandContext& context);
int RunRestore(CommandContext& context);
int RunBackups(CommandContext& context);
int RunDecline(CommandContext& context);
int RunDoctor(CommandContext& context);
int RunHistory(CommandContext& context);
