// What Ctrl+C, SIGTERM, SIGHUP and SIGQUIT do to the padwright command. Outside a flash the
// command stops at once (exit 128 + the signal): nothing is being sent to the controller
// then. From the moment the controller is sent into its boot loader or its power is
// switched, until the sequence says the controller is safe again, a signal is put off: one
// line says why, and the command stops once that span ends, with the status of what it did.
// SIGPIPE is ignored, so a closed pipe on the output cannot end a flash either.
#pragma once

#include <termios.h>

namespace interrupt_guard {

// Installs the handlers; call once, before anything reaches the controller.
void Install();
// The span in which signals are put off.
void BeginFlash();
void EndFlash();
// The signal that was put off, or 0.
int PendingSignal();
// While set, a signal that stops the command first gives terminal `fd` back `mode` (a
// countdown has changed how it reads keys), until ClearTerminalRestore.
void RestoreTerminalOnStop(int fd, const termios& mode);
void ClearTerminalRestore();
// The exit status of a command stopped by `signal`.
inline int ExitStatusFor(int signal) {
  return 128 + signal;
}

}  // namespace interrupt_guard
