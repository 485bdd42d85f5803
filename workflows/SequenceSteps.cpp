// Steps that several update sequences share and that need no controller link.
#include "workflows/SequenceSteps.h"

#include "frontends/window/resource.h"
#include "platform/Clock.h"
#include "platform/FileRead.h"
#include "platform/PowerSource.h"
#include "platform/PowerSwitch.h"

void DisableUpgradeControls(SequenceView& view, uint16_t startId) {
  view.EnableControl(IDC_SELECT, false);
  view.EnableControl(IDC_REFRESH, false);
  view.EnableControl(startId, false);
}

bool LoadFirmwareImage(FirmwareImage& image, const std::filesystem::path& path) {
  return ReadFileBytes(image, path) && !image.empty();
}

std::optional<UpgradeResult> RefusalBeforeSending(FirmwareImage& image,
                                                  const std::filesystem::path& path) {
  if (!PowerSwitchUsable()) {
    return UpgradeResult::kPowerSwitchUnavailable;
  }
  if (!BatteryAllowsUpdate()) {
    return UpgradeResult::kBatteryLow;
  }
  if (!LoadFirmwareImage(image, path)) {
    return UpgradeResult::kImageUnreadable;
  }
  return std::nullopt;
}

void PowerCycleController(SequenceView& view) {
  view.SetStatus(L"Power off.....");
  SetControllerPower(false);
  SleepMs(1000);
  view.SetStatus(L"Power on.....");
  SetControllerPower(true);
  SleepMs(2000);
}
