// The table of padwright's commands (see CommandTable.h).
#include "frontends/terminal/CommandTable.h"

namespace {

// backups only reads files; doctor takes the lock itself, to say what it found of it.
constexpr CommandSpec kCommands[] = {
    {"status", nullptr, true, false, RunStatus},    {"update", "FILE", true, true, RunUpdate},
    {"recover", "FILE", true, true, RunRecover},    {"restore", "BACKUP", true, false, RunRestore},
    {"backups", nullptr, false, false, RunBackups}, {"decline", nullptr, true, false, RunDecline},
    {"doctor", nullptr, false, false, RunDoctor},   {"history", nullptr, false, false, RunHistory},
};

}  // namespace

const CommandSpec* FindCommand(std::string_view name) {
  for (const CommandSpec& command : kCommands) {
    if (name == command.name) {
      return &command;
    }
  }
  return nullptr;
}
