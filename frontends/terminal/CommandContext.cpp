// What the commands share (see CommandContext.h).
#include "frontends/terminal/CommandContext.h"

#include <unistd.h>

#include "platform/linux/Utf8Text.h"
#include "workflows/VersionLine.h"

bool PrintVersionLine(CommandContext& context) {
  std::wstring line;
  const bool read = ReadVersionLine(context.link, &line);
  context.view.PrintLine(ToUtf8(line));
  return read;
}

std::string CommandHint(const std::string& arguments) {
  return (geteuid() == 0 ? "sudo padwright " : "padwright ") + arguments;
}
