// Parsing of the padwright command's arguments, and its usage, from the tables of commands and
// options.
#include "frontends/terminal/CommandLine.h"

#include <algorithm>

namespace {

// The usage around the tables: the synopsis before the commands, the notes after the options.
constexpr char kUsageHead[] =
    "Usage: padwright [--verbose] [--ignore-battery] [--yes] COMMAND [FILE]\n"
    "Updates the firmware of the game controller built into the handheld.\n";

constexpr char kUsageNotes[] =
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

// The options, each a flag of the request, with its help in the usage (lines split by '\n').
struct OptionSpec {
  const char* longName;
  const char* shortName;  // or null
  bool CommandRequest::*flag;
  const char* help;
};

constexpr OptionSpec kOptions[] = {
    {"--help", "-h", &CommandRequest::help, "show this text"},
    {"--version", nullptr, &CommandRequest::version, "show the version"},
    {"--verbose", "-v", &CommandRequest::verbose,
     "list every HID device examined and a node opened by its device\n"
     "numbers, and say what was not available"},
    {"--ignore-battery", nullptr, &CommandRequest::ignoreBattery,
     "update or recover even on a battery below 25% without the\n"
     "charger (for a battery whose reading is wrong)"},
    {"--yes", "-y", &CommandRequest::assumeYes,
     "start the recovery without a countdown: at once after a failed\n"
     "update (also without a terminal), and in recover (hold HOME first)"},
    {"--json", nullptr, &CommandRequest::json, "history: the records as JSON Lines"},
};

// The column where the help of each command and option begins; a name wider than
// kNameWidth puts its help on the next line.
constexpr size_t kHelpColumn = 18;
constexpr size_t kNameWidth = kHelpColumn - 2;

// One entry of the usage: `name` indented by two, then `help`, each of its lines at the help
// column (the first one further right after a name of nearly the full width).
void AppendEntry(const std::string& name, const char* help, std::string* text) {
  *text += "  " + name;
  if (name.size() > kNameWidth) {
    *text += "\n" + std::string(kHelpColumn, ' ');
  } else {
    *text += std::string(std::max<size_t>(kNameWidth - name.size(), 2), ' ');
  }
  for (const char* c = help; *c != '\0'; ++c) {
    *text += *c;
    if (*c == '\n') {
      *text += std::string(kHelpColumn, ' ');
    }
  }
  *text += '\n';
}

std::string CommandEntryName(const CommandSpec& command) {
  std::string name = command.name;
  if (command.operand != nullptr) {
    name += std::string(" [") + command.operand + "]";
  }
  if (command.ownOption != nullptr) {
    name += std::string(" [") + command.ownOption + "]";
  }
  return name;
}

std::string OptionEntryName(const OptionSpec& option) {
  return (option.shortName != nullptr ? std::string(option.shortName) + ", " : "    ") +
         option.longName;
}

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
  std::string text = kUsageHead;
  text += "\nCommands:\n";
  for (const CommandSpec& command : Commands()) {
    AppendEntry(CommandEntryName(command), command.help, &text);
  }
  text += "\nOptions:\n";
  for (const OptionSpec& option : kOptions) {
    AppendEntry(OptionEntryName(option), option.help, &text);
  }
  return text + "\n" + kUsageNotes;
}
