// libsystemd's sd-bus, loaded when first asked for (dlopen of libsystemd.so.0), so that the
// command starts on a system without it and needs at load time only the C and C++ runtimes.
// The few calls used are declared here as libsystemd's stable ABI has them; no header or
// library of libsystemd is needed to build.
#pragma once

#include <string>

struct sd_bus;
struct sd_bus_message;

// sd_bus_error as libsystemd lays it out.
struct SdBusError {
  const char* name = nullptr;
  const char* message = nullptr;
  int needFree = 0;
};

struct SystemdBus {
  int (*openSystem)(sd_bus** bus) = nullptr;
  int (*callMethod)(sd_bus* bus, const char* destination, const char* path, const char* interface,
                    const char* member, SdBusError* error, sd_bus_message** reply,
                    const char* types, ...) = nullptr;
  int (*readMessage)(sd_bus_message* message, const char* types, ...) = nullptr;
  void (*freeError)(SdBusError* error) = nullptr;
  sd_bus_message* (*unrefMessage)(sd_bus_message* message) = nullptr;
  sd_bus* (*flushCloseUnref)(sd_bus* bus) = nullptr;
};

// The calls, loaded once per process; null when libsystemd.so.0 cannot be loaded or lacks
// one of them, with `why` set to the loader's reason.
const SystemdBus* LoadSystemdBus(std::string* why);
