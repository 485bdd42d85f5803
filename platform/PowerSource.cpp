// Binding of the process-wide power source, and the check the sequences make through it.
#include "platform/PowerSource.h"

#include <atomic>

namespace {

std::atomic<PowerSource*> boundSource{nullptr};

}  // namespace

PowerSource* GetPowerSource() {
  return boundSource.load(std::memory_order_acquire);
}

void BindPowerSource(PowerSource* source) {
  boundSource.store(source, std::memory_order_release);
}

bool BatteryAllowsUpdate() {
  PowerSource* source = GetPowerSource();
  PowerState state;
  if (source == nullptr || !source->Read(&state)) {
    return true;
  }
  return PowerAllowsUpdate(state);
}
