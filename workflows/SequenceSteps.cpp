// Steps that several update sequences share and that need no controller link.
#include "workflows/SequenceSteps.h"

#include "platform/FileRead.h"
#include "platform/PowerSwitch.h"
#include "workflows/RunRecording.h"

namespace {

std::optional<UpgradeResult> RefusalBeforeSending(const RunContext& context, FirmwareImage& image,
                                                  const std::filesystem::path& path) {
  if (!PowerSwitchUsable(context.memory)) {
    return UpgradeResult::kPowerSwitchUnavailable;
  }
  if (!context.BatteryAllowsUpgrade()) {
    return UpgradeResult::kBatteryLow;
  }
  // Every command would fail to open it; the user can let it go instead.
  switch (context.FindControllerBlock()) {
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

std::optional<UpgradeResult> PrepareUpgrade(const RunContext& context, SequenceView& view,
                                            FirmwareImage& image, const std::filesystem::path& path,
                                            uint32_t& startMs) {
  if (std::optional<UpgradeResult> refusal = RefusalBeforeSending(context, image, path)) {
    return refusal;
  }
  RecordImage(view, path, image);
  startMs = context.clock.NowMs();
  view.SetProgress(0, L"");
  return std::nullopt;
}

void PowerCycleController(const RunContext& context, SequenceView& view) {
  PhaseSpan phase(view, RunPhase::kPowerCycle);
  view.Notify(SequenceEvent::kFlashBegins);
  view.SetStatus(L"Power off.....");
  SetControllerPower(context.memory, false);
  context.clock.SleepMs(1000);
  view.SetStatus(L"Power on.....");
  SetControllerPower(context.memory, true);
  context.clock.SleepMs(2000);
}
