// The machine's own power as the update sequences judge it (external power, battery, charge)
// and the rule that keeps a transfer from starting on a battery that may run out half-way.
#pragma once

#include <optional>

// What the system says about its power. Fields it cannot tell stay at their defaults.
struct PowerState {
  bool externalPower = false;  // a charger or dock is online
  bool batteryPresent = false;
  std::optional<int> chargePercent;  // 0 to 100; empty when the battery gives no reading
  bool charging = false;             // the battery says it is charging or full
};

// The lowest charge on which an update may run without external power. A transfer, the power
// cycle and the restore take under a minute, but a battery reading low drops fast and a
// controller cut off mid-transfer keeps only its boot loader.
inline constexpr int kMinimumChargePercent = 25;

// The status line of the refusal.
inline constexpr wchar_t kBatteryLowStatus[] = L"Battery low, connect the charger!";

// True when an update may go ahead: on external power (also when only the battery says it is
// charging), without a battery, with a charge that cannot be read, or with at least
// kMinimumChargePercent. Only a battery that reads low while nothing charges it refuses: a
// broken reading must not lock the user out.
bool PowerAllowsUpgrade(const PowerState& state);
