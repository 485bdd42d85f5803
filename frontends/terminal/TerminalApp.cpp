// The padwright command's root (see TerminalApp.h). It checks what it can before the
// controller is touched (arguments, the firmware file, another instance, the power switch,
// the battery), then runs the same sequences as the Windows window over hidraw, /dev/mem and
// a terminal view; doctor runs those checks alone and says what it found.
#include "frontends/terminal/TerminalApp.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "frontends/terminal/CommandLine.h"
#include "frontends/terminal/CommandRunner.h"
#include "frontends/terminal/InterruptGuard.h"
#include "frontends/terminal/ProgramName.h"
#include "platform/PrintableText.h"
#include "padwright/Version.h"

namespace {

// The arguments after the program's name; none for a program started with no argv[0] at all.
std::vector<std::string> Arguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// Standard input, output and error that were closed at the start are opened on /dev/null, so
// that the next file the command opens (its lock, a backup) never takes their number and
// receives its messages.
void OpenClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
      continue;
    }
    // The lowest free number: this one, as those below it are open.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened != fd) {
      _exit(kExitRefused);  // no safe place for the messages: touch nothing
    }
  }
}

}  // namespace

int RunTerminalApp(int argc, char** argv) {
  OpenClosedStandardStreams();
  // Before anything else: a Ctrl+C from here on either stops cleanly or is put off.
  interrupt_guard::Install();
  RememberProgramName(argc > 0 ? argv[0] : nullptr);
  CommandRequest request;
  std::string error;
  if (!ParseCommandLine(Arguments(argc, argv), &request, &error)) {
    std::fprintf(stderr, "padwright: %s\n%s", EscapeControls(error).c_str(), UsageText().c_str());
    return kExitRefused;
  }
  if (request.help) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitSuccess;
  }
  if (request.version) {
    std::printf("padwright %s\n", PADWRIGHT_VERSION_TEXT);
    return kExitSuccess;
  }
  LinuxPlatform platform(request);
  return RunCommand(request, platform);
}
