// Parsing of the padwright command's arguments.
#include "app/linux/CommandLine.h"

bool ParseCommandLine(const std::vector<std::string>& args, CommandRequest* request,
                      std::string* error) {
  CommandRequest parsed;
  std::vector<std::string> operands;
  bool optionsEnded = false;
  bool help = false;
  bool version = false;
  for (const std::string& arg : args) {
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      operands.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--version") {
      version = true;
    } else if (arg == "--verbose" || arg == "-v") {
      parsed.verbose = true;
    } else if (arg == "--ignore-battery") {
      parsed.ignoreBattery = true;
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  if (help || version) {
    parsed.kind = help ? CommandKind::kHelp : CommandKind::kVersion;
    *request = parsed;
    return true;
  }
  if (operands.empty()) {
    *error = "no command given";
    return false;
  }
  const std::string& command = operands[0];
  const size_t maxOperands = command == "status" || command == "backups" ? 1 : 2;
  if (command == "status") {
    parsed.kind = CommandKind::kStatus;
  } else if (command == "backups") {
    parsed.kind = CommandKind::kBackups;
  } else if (command == "restore") {
    parsed.kind = CommandKind::kRestore;
  } else if (command == "update") {
    parsed.kind = CommandKind::kUpdate;
  } else if (command == "recover") {
    parsed.kind = CommandKind::kRecover;
  } else {
    *error = "unknown command " + command;
    return false;
  }
  if (operands.size() > maxOperands) {
    *error = "too many arguments for " + command;
    return false;
  }
  if (operands.size() == 2) {
    (parsed.kind == CommandKind::kRestore ? parsed.backupPath : parsed.firmwarePath) = operands[1];
  }
  *request = parsed;
  return true;
}

std::string UsageText() {
  return "Usage: padwright [--verbose] [--ignore-battery] COMMAND [FILE]\n"
         "Updates the firmware of the game controller built into the handheld.\n"
         "\n"
         "Commands:\n"
         "  status          show the controller's firmware version and mode\n"
         "  update [FILE]   back up the configuration, write the firmware image FILE\n"
         "                  (default: the single *.vxf file in the current folder),\n"
         "                  power-cycle the controller and restore the configuration\n"
         "  recover [FILE]  for a controller the update left unusable: hold HOME while it\n"
         "                  is power-cycled into its boot loader, then write FILE again and\n"
         "                  restore the configuration saved before (also by an earlier run)\n"
         "  restore [BACKUP]  write the newest saved configuration backup (or the file\n"
         "                  BACKUP) back to a controller in normal mode\n"
         "  backups         list the saved configuration backups, newest first\n"
         "\n"
         "Options:\n"
         "  -h, --help      show this text\n"
         "      --version   show the version\n"
         "  -v, --verbose   list every HID device examined, and say what was not available\n"
         "      --ignore-battery\n"
         "                  update or recover even on a battery below 25% without the\n"
         "                  charger (for a battery whose reading is wrong)\n"
         "\n"
         "update and recover switch the controller's power through /dev/mem: run them as root.\n"
         "On a battery below 25% they refuse until the charger is connected.\n"
         "Before anything is sent, update saves the configuration it read to\n"
         "/var/lib/padwright/backups (as root; else ~/.local/state/padwright/backups).\n"
         "Ctrl+C stops the command until the controller is restarted into its boot loader;\n"
         "from then until its configuration is restored it is put off.\n"
         "\n"
         "Exit status: 0 success, 1 the update, the read or the restore failed, 2 refused\n"
         "before anything was sent (usage, file, no access to the power switch, low battery,\n"
         "the configuration backup could not be saved, no valid backup to restore), 3 another\n"
         "instance is running, 4 the firmware went in but the configuration is not back\n"
         "(padwright restore writes it later), 128+N stopped by signal N.\n";
}
