// The rule that lets an update start or refuses it for the machine's power.
#include <gtest/gtest.h>

#include "platform/PowerState.h"

namespace {

PowerState OnBattery(int percent) {
  PowerState state;
  state.batteryPresent = true;
  state.chargePercent = percent;
  return state;
}

}  // namespace

TEST(PowerRule, OnlyALowBatteryWithNothingChargingItRefuses) {
  EXPECT_FALSE(PowerAllowsUpgrade(OnBattery(24)));
  EXPECT_TRUE(PowerAllowsUpgrade(OnBattery(25)));
  EXPECT_FALSE(PowerAllowsUpgrade(OnBattery(0)));

  PowerState charger = OnBattery(5);
  charger.externalPower = true;
  EXPECT_TRUE(PowerAllowsUpgrade(charger));
  // A battery that says it charges is on external power, even with no Mains supply listed.
  PowerState charging = OnBattery(5);
  charging.charging = true;
  EXPECT_TRUE(PowerAllowsUpgrade(charging));
  // No battery (whatever a percent field says), and a charge that cannot be read: what the
  // system does not know never blocks the user.
  PowerState noBattery = OnBattery(5);
  noBattery.batteryPresent = false;
  EXPECT_TRUE(PowerAllowsUpgrade(noBattery));
  PowerState unknown = OnBattery(0);
  unknown.chargePercent.reset();
  EXPECT_TRUE(PowerAllowsUpgrade(unknown));
}
