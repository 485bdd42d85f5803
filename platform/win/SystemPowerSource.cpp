// The system's power status behind the power source on Windows.
#include "platform/win/SystemPowerSource.h"

#include <windows.h>

namespace {

// Values of SYSTEM_POWER_STATUS that the headers give no names.
constexpr BYTE kAcOnline = 1;
constexpr BYTE kBatteryCharging = 8;
constexpr BYTE kNoSystemBattery = 128;
constexpr BYTE kUnknownStatus = 255;

}  // namespace

bool SystemPowerSource::Read(PowerState* state) {
  SYSTEM_POWER_STATUS status = {};
  if (!GetSystemPowerStatus(&status)) {
    return false;
  }
  PowerState found;
  found.externalPower = status.ACLineStatus == kAcOnline;
  // BatteryFlag 255 means the status is unknown, not that every bit is set.
  const bool flagsKnown = status.BatteryFlag != kUnknownStatus;
  found.batteryPresent = !(flagsKnown && (status.BatteryFlag & kNoSystemBattery));
  found.charging = flagsKnown && (status.BatteryFlag & kBatteryCharging);
  if (status.BatteryLifePercent <= 100) {  // 255: unknown
    found.chargePercent = status.BatteryLifePercent;
  }
  *state = found;
  return true;
}
