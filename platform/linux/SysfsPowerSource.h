// The machine's power on Linux, read from the kernel's power-supply class: one folder per
// supply under /sys/class/power_supply, each with small text attributes (type, online,
// present, scope, status, capacity, charge_now/charge_full, energy_now/energy_full).
#pragma once

#include <string>

#include "platform/PowerSource.h"

class SysfsPowerSource final : public PowerSource {
 public:
  explicit SysfsPowerSource(std::string folder = "/sys/class/power_supply");

  // External power: a supply of type Mains or USB* that is online. The battery: every
  // supply of type Battery that is present and powers the machine (not a mouse's or a
  // gamepad's, whose scope is Device), its charge the mean of theirs. False when the folder
  // cannot be listed.
  bool Read(PowerState* state) override;

 private:
  std::string folder_;
};
