// A stand-in for libsystemd.so.0 that the padwright command loads at run time when a test puts
// its folder on LD_LIBRARY_PATH: logind's Inhibit as far as the command uses it. Each call is
// logged as a line "Inhibit <what> <who> <mode>" to the file named by PADWRIGHT_FAKE_LOGIND,
// and the lock handed out is a descriptor of the file "<that name>-held-<what>", so that a
// test sees in /proc/<pid>/fd which locks the command holds at a given moment. As in
// libsystemd, the descriptor belongs to the reply message and is closed with it.
#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct sd_bus {
  int unused = 0;
};
struct sd_bus_message {
  int fd = -1;
};
struct sd_bus_error {
  const char* name;
  const char* message;
  int needFree;
};

namespace {

const char* LogPath() {
  return std::getenv("PADWRIGHT_FAKE_LOGIND");
}

void Log(const std::string& line) {
  if (FILE* log = LogPath() != nullptr ? std::fopen(LogPath(), "a") : nullptr) {
    std::fputs(line.c_str(), log);
    std::fclose(log);
  }
}

}  // namespace

extern "C" {

int sd_bus_open_system(sd_bus** bus) {
  *bus = new sd_bus;
  return 0;
}

int sd_bus_call_method(sd_bus*, const char*, const char*, const char* interface, const char* member,
                       sd_bus_error* error, sd_bus_message** reply, const char* types, ...) {
  if (LogPath() == nullptr || std::strcmp(member, "Inhibit") != 0 ||
      std::strcmp(types, "ssss") != 0) {
    error->name = "org.freedesktop.DBus.Error.NotSupported";
    error->message = "the fake logind knows only Inhibit(ssss)";
    return -EOPNOTSUPP;
  }
  va_list args;
  va_start(args, types);
  const std::string what = va_arg(args, const char*);
  const std::string who = va_arg(args, const char*);
  va_arg(args, const char*);  // why
  const std::string mode = va_arg(args, const char*);
  va_end(args);
  Log(std::string("Inhibit ") + what + " " + who + " " + mode + " (" + interface + ")\n");
  auto* message = new sd_bus_message;
  message->fd =
      open((std::string(LogPath()) + "-held-" + what).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  *reply = message;
  return 1;
}

int sd_bus_message_read(sd_bus_message* message, const char* types, ...) {
  if (message == nullptr || std::strcmp(types, "h") != 0 || message->fd < 0) {
    return -EINVAL;
  }
  va_list args;
  va_start(args, types);
  *va_arg(args, int*) = message->fd;
  va_end(args);
  return 1;
}

void sd_bus_error_free(sd_bus_error*) {}

sd_bus_message* sd_bus_message_unref(sd_bus_message* message) {
  if (message != nullptr) {
    if (message->fd >= 0) {
      close(message->fd);
    }
    delete message;
  }
  return nullptr;
}

sd_bus* sd_bus_flush_close_unref(sd_bus* bus) {
  delete bus;
  return nullptr;
}

}  // extern "C"
