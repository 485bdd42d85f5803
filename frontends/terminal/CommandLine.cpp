// Parsing of the padwright command's arguments, from the tables of commands and options.
#include "frontends/terminal/CommandLine.h"

namespace {

constexpr char kUsageText[] =
    "Usage: padwright [--verbose] [--ignore-battery] [--yes] COMMAND [FILE]\n"
    "Updates the firmware of the game controller built into the handheld.\n"
    "\n"
    "Commands:\n"
    "  status          show the controller's firmware version and mode; for one\n"
    "                  waiting in its boot loader, the recover that brings it back\n"
    "  update [FILE]   back up the configuration, write the firmware image FILE\n"
    "                  (default: the single *.vxf file in the current folder),\n"
    "                  power-cycle the controller and restore the configuration\n"
    "  recover [FILE]  for a controller the update left unusable: hold HOME while it\n"
    "                  is power-cycled into its boot loader (one already waiting there\n"
    "                  needs no HOME), then write FILE again and restore the\n"
    "                  configuration saved before (also by an earlier run)\n"
    "  restore [BACKUP]  write the saved configuration back to a controller in\n"
    "                  normal mode: a backup that never went back first, else the\n"
    "                  newest (or the file BACKUP)\n"
    "  backups         list the saved configuration backups, newest first\n"
    "  decline         keep what the controller holds now: no backup that never went\n"
    "                  back, nor any older one, is offered or written back any more\n"
    "                  (restore BACKUP still writes the one named)\n"
    "  history [--json]  list every run (update, recover, restore, decline), newest\n"
    "                  first, with its outcome and the time of each phase; --json\n"
    "                  writes the records as kept, one JSON object a line, oldest first\n"
    "  doctor          check what an update needs (the controller, access to it,\n"
    "                  other programs that have it open, /dev/mem, the power, the\n"
    "                  lock, the backup folder) and say how to fix what is wrong;\n"
    "                  sends nothing that changes the controller\n"
    "\n"
    "Options:\n"
    "  -h, --help      show this text\n"
    "      --version   show the version\n"
    "  -v, --verbose   list every HID device examined and a node opened by its device\n"
    "                  numbers, and say what was not available\n"
    "      --ignore-battery\n"
    "                  update or recover even on a battery below 25% without the\n"
    "                  charger (for a battery whose reading is wrong)\n"
    "  -y, --yes       start the recovery without a countdown: at once after a failed\n"
    "                  update (also without a terminal), and in recover (hold HOME first)\n"
    "      --json      history: the records as JSON Lines\n"
    "\n"
    "update and recover switch the controller's power through /dev/mem: run them as root.\n"
    "On a battery below 25% they refuse until the charger is connected.\n"
    "Before anything is sent, update saves the configuration it read to\n"
    "/var/lib/padwright/backups (as root; else ~/.local/state/padwright/backups).\n"
    "When update fails after the transfer began, or finds only the boot loader, a\n"
    "terminal counts down 10 s and starts the recovery unless n is typed; recover\n"
    "counts down 5 s for HOME to be held. Without a terminal the command is named.\n"
    "Ctrl+C stops the command until the controller is restarted into its boot loader;\n"
    "from then until its configuration is restored it is put off, and the command\n"
    "ends afterwards with the status of what it did (0, 1 or 4).\n"
    "One run at a time: a second one is refused with the pid of the run in progress;\n"
    "root's run also while another user's padwright has the controller open or holds\n"
    "its lock. Names that other programs chose are shown with control characters\n"
    "escaped (\\x1b); the commands named to run are quoted for the shell.\n"
    "\n"
    "Exit status: 0 success, 1 the update, the read or the restore failed (also: no\n"
    "controller found), 2 refused before anything was sent (usage, file, no access to\n"
    "the power switch, low battery, the configuration backup could not be saved, no\n"
    "valid backup to restore), 3 another instance is running, 4 the firmware went in\n"
    "but the configuration is not back (padwright restore writes it later), 128+N\n"
    "stopped by signal N outside a flash, where stopping harms nothing (before the\n"
    "transfer, or in a countdown). doctor: 0 when an update could run now, else 1.\n";

// The options, each a flag of the request.
struct OptionSpec {
  const char* longName;
  const char* shortName;  // or null
  bool CommandRequest::*flag;
};

constexpr OptionSpec kOptions[] = {
    {"--help", "-h", &CommandRequest::help},
    {"--version", nullptr, &CommandRequest::version},
    {"--verbose", "-v", &CommandRequest::verbose},
    {"--ignore-battery", nullptr, &CommandRequest::ignoreBattery},
    {"--yes", "-y", &CommandRequest::assumeYes},
    {"--json", nullptr, &CommandRequest::json},
};

const OptionSpec* FindOption(const std::string& arg) {
  for (const OptionSpec& option : kOptions) {
    if (arg == option.longName || (option.shortName != nullptr && arg == option.shortName)) {
      return &option;
    }
  }
  return nullptr;
}

// Sets the flags of the options in `args` and collects the rest as operands; after "--"
// everything is an operand. False with `error` set for an option that does not exist.
bool SplitArguments(const std::vector<std::string>& args, CommandRequest* request,
                    std::vector<std::string>* operands, std::string* error) {
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      operands->push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (const OptionSpec* option = FindOption(arg)) {
      request->*(option->flag) = true;
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandRequest* request,
                      std::string* error) {
  CommandRequest parsed;
  std::vector<std::string> operands;
  if (!SplitArguments(args, &parsed, &operands, error)) {
    return false;
  }
  if (parsed.help || parsed.version) {
    *request = parsed;
    return true;
  }
  if (operands.empty()) {
    *error = "no command given";
    return false;
  }
  parsed.command = FindCommand(operands[0]);
  if (parsed.command == nullptr) {
    *error = "unknown command " + operands[0];
    return false;
  }
  if (operands.size() > (parsed.command->operand != nullptr ? 2u : 1u)) {
    *error = "too many arguments for " + operands[0];
    return false;
  }
  if (operands.size() == 2) {
    parsed.operand = operands[1];
  }
  *request = parsed;
  return true;
}

std::string UsageText() {
  return kUsageText;
}
