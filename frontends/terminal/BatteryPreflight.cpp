// The battery check of the padwright command.
#include "frontends/terminal/BatteryPreflight.h"

#include "platform/linux/Utf8Text.h"

bool CheckBattery(PowerSource& source, std::string* reason) {
  PowerState state;
  if (!source.Read(&state) || PowerAllowsUpgrade(state)) {
    return true;
  }
  // Refused only on a reading below the minimum, with nothing charging the battery.
  *reason = ToUtf8(kBatteryLowStatus) + " (battery at " +
            std::to_string(state.chargePercent.value_or(0)) + "%, not charging)\n" +
            "padwright: connect the charger and run it again; when the battery's reading is "
            "wrong, --ignore-battery skips this check.";
  return false;
}
