// logind's inhibitor locks (org.freedesktop.login1.Manager.Inhibit), in block mode: held as
// the file descriptor logind hands out, released when it is closed. Reached through
// libsystemd's sd-bus, loaded at run time; without libsystemd or logind the command goes on
// without the lock.
#pragma once

#include <cstdio>
#include <memory>

// One inhibitor lock, held while this object lives.
class InhibitorLock {
 public:
  explicit InhibitorLock(int fd) : fd_(fd) {}
  ~InhibitorLock();
  InhibitorLock(const InhibitorLock&) = delete;
  InhibitorLock& operator=(const InhibitorLock&) = delete;

 private:
  int fd_;  // logind's descriptor: closing the last copy releases the lock
};

// The lock on `what` ("sleep:idle", "shutdown") while the returned lock lives; null when it
// cannot be had. With `log` set, says there why not: "padwright: could not <goal> (<why>)".
std::unique_ptr<InhibitorLock> TakeInhibitor(const char* what, const char* goal, FILE* log);

// The machine neither suspends nor idles into sleep while a sequence runs.
inline std::unique_ptr<InhibitorLock> KeepMachineAwake(FILE* log) {
  return TakeInhibitor("sleep:idle", "keep the machine awake", log);
}
// No shutdown or reboot while the controller is being flashed.
inline std::unique_ptr<InhibitorLock> HoldOffShutdown(FILE* log) {
  return TakeInhibitor("shutdown", "hold off a shutdown", log);
}
