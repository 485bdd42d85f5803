// What the commands share (see CommandContext.h).
#include "frontends/terminal/CommandContext.h"

#include <unistd.h>

#include "device/linux/HidrawDevice.h"
#include "frontends/terminal/ProgramName.h"
#include "platform/PrintableText.h"
#include "platform/linux/Utf8Text.h"

VersionReading PrintVersionLine(CommandContext& context) {
  std::wstring line;
  CHidrawDevice scanner;  // only looks at the present nodes, should the read fail
  const VersionReading reading = ReadVersion(context.link, scanner, &line);
  context.view.PrintLine(ToUtf8(line));
  return reading;
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
