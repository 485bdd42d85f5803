// Signal handling of the padwright command (see InterruptGuard.h).
#include "frontends/terminal/InterruptGuard.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "frontends/terminal/TerminalView.h"

namespace interrupt_guard {
namespace {

std::atomic<bool> flashing{false};
std::atomic<int> pendingSignal{0};
std::atomic<bool> explained{false};
// Written before `terminalFd` is set, read only while it is.
termios terminalMode{};
std::atomic<int> terminalFd{-1};

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Only async-signal-safe calls from here on: write, tcsetattr and _exit.
void WriteText(const char* text) {
  ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

void OnSignal(int signal) {
  const char* lineBreak = TerminalView::ProgressLineOpen() ? "\n" : "";
  if (!flashing.load()) {
    const int terminal = terminalFd.load();
    if (terminal >= 0) {
      tcsetattr(terminal, TCSANOW, &terminalMode);
      lineBreak = "\n";  // after the countdown's line
    }
    WriteText(lineBreak);
    WriteText("padwright: stopped\n");
    _exit(ExitStatusFor(signal));
  }
  pendingSignal.store(signal);
  if (!explained.exchange(true)) {
    WriteText(lineBreak);
    WriteText(
        "padwright: not stopping now: the controller is being updated, and stopping before "
        "its configuration is restored could leave it unusable. It stops once that is done.\n");
  }
}

}  // namespace

void Install() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kHandledSignals) {
    sigaddset(&action.sa_mask, signal);  // one handler at a time
  }
  action.sa_flags = SA_RESTART;
  for (int signal : kHandledSignals) {
    sigaction(signal, &action, nullptr);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, nullptr);
}

void BeginFlash() {
  flashing.store(true);
}

void EndFlash() {
  flashing.store(false);
}

int PendingSignal() {
  return pendingSignal.load();
}

void RestoreTerminalOnStop(int fd, const termios& mode) {
  terminalFd.store(-1);
  terminalMode = mode;
  terminalFd.store(fd);
}

void ClearTerminalRestore() {
  terminalFd.store(-1);
}

}  // namespace interrupt_guard
