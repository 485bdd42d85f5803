// The rule that decides whether the machine's power lets an update start.
#include "platform/PowerState.h"

bool PowerAllowsUpgrade(const PowerState& state) {
  if (state.externalPower || state.charging || !state.batteryPresent ||
      !state.chargePercent.has_value()) {
    return true;
  }
  return *state.chargePercent >= kMinimumChargePercent;
}
