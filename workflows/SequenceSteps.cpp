// Steps that several update sequences share and that need no controller link.
#include "workflows/SequenceSteps.h"

#include "device/ControllerBlock.h"
#include "platform/Clock.h"
#include "platform/FileRead.h"
#include "platform/PowerSource.h"
#include "platform/PowerSwitch.h"
#include "workflows/RunRecording.h"

namespace {

std::optional<UpgradeResult> RefusalBeforeSending(FirmwareImage& image,
                                                  const std::filesystem::path& path) {
  if (!PowerSwitchUsable()) {
    return UpgradeResult::kPowerSwitchUnavailable;
  }
  if (!BatteryAllowsUpdate()) {
    return UpgradeResult::kBatteryLow;
  }
  // Every command would fail to open it; the user can let it go instead.
  switch (FindControllerBlock()) {
    case ControllerBlock::kHiddenByHidHide:
      return UpgradeResult::kControllerHidden;
    case ControllerBlock::kHeldByAnotherProgram:
      return UpgradeResult::kControllerHeld;
    case ControllerBlock::kNone:
      break;
  }
  if (!ReadFileBytes(image, path) || image.empty()) {
    return UpgradeResult::kImageUnreadable;
  }
  return std::nullopt;
}

}  // namespace

std::optional<UpgradeResult> PrepareUpgrade(SequenceView& view, FirmwareImage& image,
                                            const std::filesystem::path& path, uint32_t& startMs) {
  if (std::optional<UpgradeResult> refusal = RefusalBeforeSending(image, path)) {
    return refusal;
  }
  RecordImage(view, path, image);
  startMs = NowMs();
  view.SetProgress(0, L"");
  return std::nullopt;
}

void PowerCycleController(SequenceView& view) {
  PhaseSpan phase(view, RunPhase::kPowerCycle);
  view.Notify(SequenceEvent::kFlashBegins);
  view.SetStatus(L"Power off.....");
  SetControllerPower(false);
  SleepMs(1000);
  view.SetStatus(L"Power on.....");
  SetControllerPower(true);
  SleepMs(2000);
}
