// logind's inhibitor locks (org.freedesktop.login1.Manager.Inhibit), in block mode: held as
// the file descriptor logind hands out, released when it is closed. Reached through
// libsystemd's sd-bus, loaded at run time; without libsystemd or logind the command goes on
// without the lock.
#pragma once

#include <cstdio>
#include <memory>

#include "workflows/SequenceView.h"

// The lock on `what` ("sleep:idle", "shutdown") while the returned scope lives; null when it
// cannot be had. With `log` set, says there why not: "padwright: could not <goal> (<why>)".
std::unique_ptr<SequenceScope> TakeInhibitor(const char* what, const char* goal, FILE* log);

// The machine neither suspends nor idles into sleep while a sequence runs.
inline std::unique_ptr<SequenceScope> KeepMachineAwake(FILE* log) {
  return TakeInhibitor("sleep:idle", "keep the machine awake", log);
}
// No shutdown or reboot while the controller is being flashed.
inline std::unique_ptr<SequenceScope> HoldOffShutdown(FILE* log) {
  return TakeInhibitor("shutdown", "hold off a shutdown", log);
}
