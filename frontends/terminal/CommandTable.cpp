// The table of padwright's commands (see CommandTable.h).
#include "frontends/terminal/CommandTable.h"

namespace {

// backups only reads files; doctor takes the lock itself, to say what it found of it.
constexpr CommandSpec kCommands[] = {
    {"status", nullptr, true, false, RunStatus, nullptr,
     "show the controller's firmware version and mode; for one\n"
     "waiting in its boot loader, the recover that brings it back"},
    {"update", "FILE", true, true, RunUpdate, nullptr,
     "back up the configuration, write the firmware image FILE\n"
     "(default: the single *.vxf file in the current folder),\n"
     "power-cycle the controller and restore the configuration"},
    {"recover", "FILE", true, true, RunRecover, nullptr,
     "for a controller the update left unusable: hold HOME while it\n"
     "is power-cycled into its boot loader (one already waiting there\n"
     "needs no HOME), then write FILE again and restore the\n"
     "configuration saved before (also by an earlier run)"},
    {"restore", "BACKUP", true, false, RunRestore, nullptr,
     "write the saved configuration back to a controller in\n"
     "normal mode: a backup that never went back first, else the\n"
     "newest (or the file BACKUP)"},
    {"backups", nullptr, false, false, RunBackups, nullptr,
     "list the saved configuration backups, newest first"},
    {"decline", nullptr, true, false, RunDecline, nullptr,
     "keep what the controller holds now: no backup that never went\n"
     "back, nor any older one, is offered or written back any more\n"
     "(restore BACKUP still writes the one named)"},
    {"history", nullptr, false, false, RunHistory, "--json",
     "list every run (update, recover, restore, decline), newest\n"
     "first, with its outcome and the time of each phase; --json\n"
     "writes the records as kept, one JSON object a line, oldest first"},
    {"doctor", nullptr, false, false, RunDoctor, nullptr,
     "check what an update needs (the controller, access to it,\n"
     "other programs that have it open, /dev/mem, the power, the\n"
     "lock, the backup folder) and say how to fix what is wrong;\n"
     "sends nothing that changes the controller"},
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

std::span<const CommandSpec> Commands() {
  return kCommands;
}
