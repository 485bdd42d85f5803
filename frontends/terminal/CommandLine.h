// The padwright command's arguments: one command of the table of commands (CommandTable.cpp)
// with the operand its row allows (a firmware file or a backup), and the options of the
// table of options (CommandLine.cpp). The usage is made from the same two tables.
#pragma once

#include <string>
#include <vector>

#include "frontends/terminal/CommandTable.h"

struct CommandRequest {
  bool help = false;                     // --help: show the usage, run nothing
  bool version = false;                  // --version: show the version, run nothing
  const CommandSpec* command = nullptr;  // else the command to run
  std::string operand;                   // its operand as given; empty: none (its default)
  bool verbose = false;
  bool ignoreBattery = false;  // update and recover skip the battery check
  bool assumeYes = false;      // the recovery starts without its countdowns
  bool json = false;           // history prints its records as JSON Lines
};

// False with `error` set for arguments that make no command.
bool ParseCommandLine(const std::vector<std::string>& args, CommandRequest* request,
                      std::string* error);

// The text of --help: the synopsis, each command and each option of the tables with its help,
// then the notes and the exit statuses.
std::string UsageText();
