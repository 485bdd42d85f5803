// Where the sequences read the machine's power from. The Windows build reads the system's
// power status, the Linux command the kernel's power-supply class; tests a state of their
// own. Without a source the power is unknown, and unknown never refuses.
#pragma once

#include "platform/PowerState.h"

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  // Fills `state`; false when the system gave no answer at all.
  virtual bool Read(PowerState* state) = 0;
};

// Reads `source` and applies PowerAllowsUpgrade. True without a source or when the read
// fails: what cannot be read is not a low battery.
bool BatteryAllowsUpgrade(PowerSource* source);
