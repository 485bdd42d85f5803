// What the commands share (see CommandContext.h).
#include "frontends/terminal/CommandContext.h"

#include <unistd.h>

#include "frontends/terminal/ProgramName.h"
#include "platform/PrintableText.h"
#include "platform/linux/Utf8Text.h"
#include "workflows/VersionLine.h"

bool PrintVersionLine(CommandContext& context) {
  std::wstring line;
  const bool read = ReadVersionLine(context.link, &line);
  context.view.PrintLine(ToUtf8(line));
  return read;
}

std::string CommandHint(const std::string& arguments, bool asRoot) {
  return (asRoot ? "sudo " : "") + ProgramName() + " " + arguments;
}

std::string CommandHint(const std::string& arguments) {
  return CommandHint(arguments, geteuid() == 0);
}

std::string CommandHint(const std::string& arguments, const std::string& operand) {
  return CommandHint(arguments + " " + ShellQuote(operand));
}
