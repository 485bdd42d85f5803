// What Ctrl+C, SIGTERM, SIGHUP and SIGQUIT do to the padwright command. Outside a flash the
// command stops at once (exit 128 + the signal): the controller is then in normal mode and
// only read from. From the moment the controller is sent into its boot loader or its power
// is switched, until the sequence says the controller is safe again, a signal is put off:
// one line says why, and the command stops once that span ends. SIGPIPE is ignored, so a
// closed pipe on the output cannot end a flash either.
#pragma once

namespace interrupt_guard {

// Installs the handlers; call once, before anything reaches the controller.
void Install();
// The span in which signals are put off.
void BeginFlash();
void EndFlash();
// The signal that was put off, or 0.
int PendingSignal();
// The exit status of a command stopped by `signal`.
inline int ExitStatusFor(int signal) {
  return 128 + signal;
}

}  // namespace interrupt_guard
