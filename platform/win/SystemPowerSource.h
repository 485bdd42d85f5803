// The machine's power on Windows: GetSystemPowerStatus.
#pragma once

#include "platform/PowerSource.h"

class SystemPowerSource final : public PowerSource {
 public:
  bool Read(PowerState* state) override;
};
