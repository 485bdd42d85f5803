// The power-switch check of the padwright command.
#include "frontends/terminal/PowerPreflight.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/PowerSwitch.h"

std::string DescribePowerSwitchFailure(const DevMemPhysicalMemory& memory) {
  const int error = memory.LastError();
  const std::string cause = std::strerror(error);
  if (memory.LastFailedStep() == DevMemPhysicalMemory::FailedStep::kOpen) {
    if (error == ENOENT) {
      return "/dev/mem does not exist (a kernel built without CONFIG_DEVMEM).";
    }
    if ((error == EACCES || error == EPERM) && geteuid() != 0) {
      return "/dev/mem cannot be opened (" + cause +
             "): switching the controller's power needs root. Run padwright with sudo.";
    }
    if (error == EPERM) {
      return "/dev/mem cannot be opened even as root (" + cause +
             "): the kernel is locked down (Secure Boot or lockdown=), which closes /dev/mem. "
             "Switch Secure Boot off in the machine's firmware setup for the update (and on "
             "again after it).";
    }
    if (error == EACCES) {
      return "/dev/mem cannot be opened even as root (" + cause +
             "): a security module (SELinux, AppArmor) forbids it.";
    }
    return "/dev/mem cannot be opened (" + cause + ").";
  }
  if (error == EPERM || error == EACCES) {
    return "/dev/mem refuses to map the power switch (" + cause +
           "): the kernel restricts /dev/mem (CONFIG_STRICT_DEVMEM / CONFIG_IO_STRICT_DEVMEM; "
           "booting with iomem=relaxed lifts the second).";
  }
  return "/dev/mem cannot map the power switch (" + cause + ").";
}

bool CheckPowerSwitch(DevMemPhysicalMemory& memory, std::string* reason) {
  if (PowerSwitchUsable(&memory)) {
    return true;
  }
  *reason = "Power switch unavailable: " + DescribePowerSwitchFailure(memory);
  return false;
}
