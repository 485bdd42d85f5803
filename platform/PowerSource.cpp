// Binding of the process-wide power source, and the check the sequences make through it.
#include "platform/PowerSource.h"

#include "platform/ProcessBinding.h"

namespace {

constinit ProcessBinding<PowerSource> boundSource;

}  // namespace

PowerSource* GetPowerSource() {
  return boundSource.Get();
}

void BindPowerSource(PowerSource* source) {
  boundSource.Bind(source);
}

bool BatteryAllowsUpdate() {
  PowerSource* source = GetPowerSource();
  PowerState state;
  if (source == nullptr || !source->Read(&state)) {
    return true;
  }
  return PowerAllowsUpdate(state);
}
