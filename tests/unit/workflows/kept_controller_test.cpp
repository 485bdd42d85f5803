// A controller that another program keeps from this one, and a power switch that Windows
// keeps from its driver, as the sequences say them: refusals before anything is sent, the
// restore's Retry box naming who keeps the controller, and the power switch's probable cause.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "device/ControllerBlock.h"
#include "platform/DriverBlock.h"
#include "tests/unit/workflows/WorkflowFixture.h"

namespace {

class LambdaProbe final : public ControllerBlockProbe {
 public:
  ControllerBlock Find() override { return find(); }
  std::function<ControllerBlock()> find = [] { return ControllerBlock::kNone; };
};

class FixedSettings final : public DriverBlockSettingsSource {
 public:
  DriverBlockSettings Read() override { return settings; }
  DriverBlockSettings settings;
};

class KeptControllerTest : public WorkflowTest {
 protected:
  KeptControllerTest() { context.blockProbe = &probe; }

  LambdaProbe probe;
};

const std::wstring kHidden =
    L"HidHide hides the controller: allow padwright.exe in HidHide, then press Refresh";
const std::wstring kHeld = L"Another program holds the controller: close it, then press Refresh";

TEST_F(KeptControllerTest, EverySequenceIsRefusedBeforeAnythingIsSent) {
  probe.find = [] { return ControllerBlock::kHiddenByHidHide; };
  RunUpgrade();
  EXPECT_EQ(Tail(view.Calls(), 3),
            (Lines{L"status " + kHidden, L"box " + kHidden + L"|error|error", L"end update"}));
  probe.find = [] { return ControllerBlock::kHeldByAnotherProgram; };
  RunForcedUpgrade();
  EXPECT_EQ(Tail(view.Calls(), 2),
            (Lines{L"box " + kHeld + L"|error|error", L"end forced upgrade"}));
  RunInitialize();
  EXPECT_EQ(Tail(view.Calls(), 4), (Lines{L"status " + kHeld, L"work off",
                                          L"box " + kHeld + L"|error|error", L"end initialize"}));
  EXPECT_TRUE(sim.Transcript().empty());
  EXPECT_EQ(view.Count(L"recovery needed"), 0u);
}

TEST_F(KeptControllerTest, RestoreThatCouldNotOpenItNamesWhoKeepsItAndRetryRestores) {
  // Held again once it is back from the power cycle, and let go while the box is up.
  probe.find = [this] {
    return sim.PowerOnCount() > 0 ? ControllerBlock::kHeldByAnotherProgram : ControllerBlock::kNone;
  };
  for (uint32_t i = 0; i < 3; ++i) {
    sim.Inject(Step::GlobalWrite, i, Fault::NoReply);
  }
  view.onBox = [this] { probe.find = [] { return ControllerBlock::kNone; }; };
  view.retryAnswers = {true};
  RunUpgrade();
  EXPECT_EQ(view.CallsOf(L"retry?"),
            (Lines{L"Upgrade success\n\nThe saved configuration could not be restored.\n\n"
                   L"Another program holds the controller: close it, then press Retry|warn|"
                   L"warning"}));
  EXPECT_EQ(view.CallsOf(L"box"), (Lines{L"Upgrade success|info|info"}));
  EXPECT_EQ(sim.GetButtonConfig(), userButtons);
}

TEST_F(KeptControllerTest, PowerSwitchRefusalSaysItsProbableCause) {
  FixedSettings windows;
  windows.settings.memoryIntegrity = true;
  context.driverBlockSettings = &windows;
  memory.SetUnavailable(true);
  RunUpgrade();
  EXPECT_EQ(view.CallsOf(L"status"), (Lines{L"Power switch unavailable!"}));
  EXPECT_EQ(
      view.CallsOf(L"box"),
      (Lines{L"Power switch unavailable!\n\n" +
             DriverBlockAdvice(DriverBlockCause::kMemoryIntegrity) + L"\n\n" +
             DriverBlockAdvice(DriverBlockCause::kVulnerableDriverBlocklist) + L"|error|error"}));
}

}  // namespace
