// The machine's power, checked first thing by every sequence: on a low battery Update, Force
// update and Initialize end with the refusal before anything reaches the controller.
#include <gtest/gtest.h>

#include "platform/PowerSource.h"
#include "workflows/RunRecorder.h"
#include "tests/unit/workflows/WorkflowFixture.h"

namespace {

// A power source that answers with a state of the test's choosing.
class FixedPowerState final : public PowerSource {
 public:
  bool Read(PowerState* out) override {
    *out = state;
    return true;
  }
  PowerState state;
};

const wchar_t kStatus[] = L"status Battery low, connect the charger!";
const wchar_t kBox[] = L"box Battery low, connect the charger!|error|error";

}  // namespace

class BatteryCheckTest : public WorkflowTest {
 protected:
  BatteryCheckTest() { context.power = &power; }

  void OnBatteryAt(int percent) {
    power.state.batteryPresent = true;
    power.state.chargePercent = percent;
  }

  FixedPowerState power;
};

TEST_F(BatteryCheckTest, LowBatteryStopsEverySequenceBeforeTheController) {
  ASSERT_TRUE(PrepareForcedUpgrade());  // on a battery nobody has read yet
  OnBatteryAt(14);

  RunForcedUpgrade();
  RunUpgrade();
  // Neither asks for the recovery: there is nothing to recover from.
  EXPECT_EQ(Calls(), (Lines{L"start forced upgrade", L"work on", L"work off", kStatus, kBox,
                            L"end forced upgrade", L"start update", L"work on", L"work off",
                            kStatus, kBox, L"end update"}));

  const size_t before = view.Calls().size();
  RunInitialize();
  Lines initialize = view.Calls();
  initialize.erase(initialize.begin(), initialize.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ(initialize,
            (Lines{L"start initialize", L"work on", kStatus, L"work off", L"end initialize"}));
  EXPECT_TRUE(sim.Transcript().empty());
  EXPECT_EQ(sim.PowerOnCount(), 1u);  // only the one of the Initialize before the battery ran low

  // On the charger the same charge goes ahead.
  power.state.externalPower = true;
  RunForcedUpgrade();
  EXPECT_TRUE(sim.ImageComplete());
}

TEST_F(BatteryCheckTest, IgnoringTheBatteryNeitherRefusesNorRecordsThePower) {
  RunRecorder recorder(context, "test", "-");
  view.recorder = &recorder;
  OnBatteryAt(14);
  context.ignoreBattery = true;
  SetFirmwareVersions(3, 4);
  RunUpgrade();
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_FALSE(recorder.Last().power.has_value());
}
