// Loading sd-bus at run time (see SystemdBus.h).
#include "frontends/terminal/SystemdBus.h"

#include <dlfcn.h>

namespace {

struct Loaded {
  SystemdBus calls;
  bool ok = false;
  std::string why;
};

template <typename Function>
bool Bind(void* library, const char* name, Function* target, std::string* why) {
  void* symbol = dlsym(library, name);
  if (symbol == nullptr) {
    *why = std::string("libsystemd.so.0 has no ") + name;
    return false;
  }
  *target = reinterpret_cast<Function>(symbol);
  return true;
}

Loaded Load() {
  Loaded loaded;
  // Kept loaded for the life of the process: inhibitor locks are taken more than once.
  void* library = dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = dlerror();
    loaded.why = error != nullptr ? error : "libsystemd.so.0 cannot be loaded";
    return loaded;
  }
  SystemdBus& c = loaded.calls;
  loaded.ok = Bind(library, "sd_bus_open_system", &c.openSystem, &loaded.why) &&
              Bind(library, "sd_bus_call_method", &c.callMethod, &loaded.why) &&
              Bind(library, "sd_bus_message_read", &c.readMessage, &loaded.why) &&
              Bind(library, "sd_bus_error_free", &c.freeError, &loaded.why) &&
              Bind(library, "sd_bus_message_unref", &c.unrefMessage, &loaded.why) &&
              Bind(library, "sd_bus_flush_close_unref", &c.flushCloseUnref, &loaded.why);
  return loaded;
}

}  // namespace

const SystemdBus* LoadSystemdBus(std::string* why) {
  static const Loaded loaded = Load();
  if (!loaded.ok) {
    *why = loaded.why;
    return nullptr;
  }
  return &loaded.calls;
}
