// The check the sequences make through the machine's power source.
#include "platform/PowerSource.h"

bool BatteryAllowsUpgrade(PowerSource* source) {
  PowerState state;
  if (source == nullptr || !source->Read(&state)) {
    return true;
  }
  return PowerAllowsUpgrade(state);
}
