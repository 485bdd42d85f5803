// logind's Inhibit call over sd-bus (see LogindInhibitor.h).
#include "frontends/terminal/LogindInhibitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "frontends/terminal/SystemdBus.h"
#include "platform/PrintableText.h"

namespace {

// One Inhibit call; the lock's own descriptor, or -1 with `why` set.
int CallInhibit(const SystemdBus& bus, const char* what, std::string* why) {
  sd_bus* connection = nullptr;
  SdBusError error;
  sd_bus_message* reply = nullptr;
  int result = bus.openSystem(&connection);
  if (result >= 0) {
    result = bus.callMethod(connection, "org.freedesktop.login1", "/org/freedesktop/login1",
                            "org.freedesktop.login1.Manager", "Inhibit", &error, &reply, "ssss",
                            what, "padwright", "Updating the game controller's firmware", "block");
  }
  int fd = -1;
  if (result >= 0) {
    result = bus.readMessage(reply, "h", &fd);
  }
  int own = -1;
  if (result >= 0) {
    // The descriptor belongs to the message; keep a copy of our own.
    own = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    result = own >= 0 ? 0 : -errno;
  }
  if (result < 0) {
    *why = std::string("logind: ") +
           (error.message != nullptr ? error.message : std::strerror(-result));
  }
  bus.freeError(&error);
  if (reply != nullptr) {
    bus.unrefMessage(reply);
  }
  if (connection != nullptr) {
    bus.flushCloseUnref(connection);
  }
  return own;
}

}  // namespace

InhibitorLock::~InhibitorLock() {
  close(fd_);
}

std::unique_ptr<InhibitorLock> TakeInhibitor(const char* what, const char* goal, FILE* log) {
  std::string why;
  const SystemdBus* bus = LoadSystemdBus(&why);
  const int fd = bus != nullptr ? CallInhibit(*bus, what, &why) : -1;
  if (fd < 0) {
    if (log != nullptr) {
      std::fprintf(log, "padwright: could not %s (%s); going on\n", goal,
                   EscapeControls(why).c_str());
    }
    return nullptr;
  }
  return std::make_unique<InhibitorLock>(fd);
}
