// padwright doctor: checks what an update needs and says, one line each, that it is fine or
// what is wrong and how to put it right: the controller and the interface chosen, access to
// its nodes, /dev/mem, the machine's power, the lock and the backup folder. It reads the
// controller's global block at most; nothing that changes the controller is sent.
#pragma once

#include "frontends/terminal/Commands.h"
#include "frontends/terminal/InstanceLock.h"
#include "platform/PowerSource.h"
#include "platform/linux/DevMemPhysicalMemory.h"

struct DoctorInputs {
  const DevMemPhysicalMemory& memory;  // bound as the process's physical memory
  PowerSource& power;
  bool ignoreBattery = false;
  InstanceLock::Result lock = InstanceLock::Result::kAcquired;  // as this run took it
  int lockError = 0;                                            // errno when unavailable
};

// 0 when an update could run now, 1 otherwise.
int RunDoctor(CommandSetting& setting, const DoctorInputs& inputs);
