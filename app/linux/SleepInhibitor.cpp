// logind's Inhibit call over sd-bus (see SleepInhibitor.h).
#include "app/linux/SleepInhibitor.h"

#include <unistd.h>

#if PADWRIGHT_HAVE_SD_BUS
#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

class InhibitorLock final : public SequenceScope {
 public:
  explicit InhibitorLock(int fd) : fd_(fd) {}
  ~InhibitorLock() override { close(fd_); }  // closing the last copy releases the lock

 private:
  int fd_;
};

}  // namespace

#if PADWRIGHT_HAVE_SD_BUS

std::unique_ptr<SequenceScope> InhibitSleep(FILE* log) {
  sd_bus* bus = nullptr;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  std::unique_ptr<SequenceScope> lock;
  int result = sd_bus_open_system(&bus);
  if (result >= 0) {
    result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager", "Inhibit", &error, &reply, "ssss",
                                "sleep:idle", "padwright",
                                "Updating the game controller's firmware", "block");
  }
  int fd = -1;
  if (result >= 0) {
    result = sd_bus_message_read(reply, "h", &fd);
  }
  if (result >= 0) {
    // The descriptor belongs to the message; keep a copy of our own.
    const int own = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (own >= 0) {
      lock = std::make_unique<InhibitorLock>(own);
    } else {
      result = -errno;
    }
  }
  if (result < 0 && log != nullptr) {
    std::fprintf(log, "padwright: could not keep the machine awake (logind: %s); going on\n",
                 error.message ? error.message : std::strerror(-result));
  }
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  sd_bus_flush_close_unref(bus);
  return lock;
}

#else

std::unique_ptr<SequenceScope> InhibitSleep(FILE* log) {
  if (log != nullptr) {
    std::fprintf(log, "padwright: built without logind support; the machine may suspend\n");
  }
  return nullptr;
}

#endif
