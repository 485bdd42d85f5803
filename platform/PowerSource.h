// Where the sequences read the machine's power from. The Windows build binds the system's
// power status, the Linux command the kernel's power-supply class; tests bind a state of
// their own. With nothing bound the power is unknown, and unknown never refuses.
#pragma once

#include "platform/PowerState.h"

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  // Fills `state`; false when the system gave no answer at all.
  virtual bool Read(PowerState* state) = 0;
};

// The bound source, or nullptr when none is bound.
PowerSource* GetPowerSource();
// Binds `source` for the whole process (nullptr unbinds); it must outlive its binding.
void BindPowerSource(PowerSource* source);

// Reads the bound source and applies PowerAllowsUpdate. True when nothing is bound or the
// read fails: what cannot be read is not a low battery.
bool BatteryAllowsUpdate();
