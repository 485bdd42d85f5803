// The forced upgrade after Initialize: no backup, a restore of only what Initialize saved,
// its own outcome, and the unreadable image.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/unit/workflows/WorkflowFixture.h"
#include "workflows/ForceUpgradeSequence.h"

namespace {

const Lines kForcedSuccessEnd{L"firmware in", L"status Upgrade success",
                              L"box Upgrade success|info|info", L"end forced upgrade"};

}  // namespace

class ForceUpgradeSequenceTest : public WorkflowTest {
 public:
  // Initialize with HOME held, with the chosen backups failing; then HOME is let go, so that
  // the power cycle after the transfer brings the controller up in normal mode. Calls() and
  // the controller's record then hold the forced upgrade alone.
  void InitializeWith(bool buttonsAnswer, bool globalAnswers) {
    if (!buttonsAnswer) {
      sim.Inject(Step::ButtonRead, 0, Fault::NoReply);
    }
    if (!globalAnswers) {
      sim.Inject(Step::GlobalRead, 0, Fault::NoReply);
    }
    ASSERT_TRUE(PrepareForcedUpgrade());
    ASSERT_EQ(run.Buttons().backedUp, buttonsAnswer);
    ASSERT_EQ(run.Global().backedUp, globalAnswers);
  }
};

TEST_F(ForceUpgradeSequenceTest, AfterAFullInitializeRestoresBothBlocksAndTheMode) {
  SetFirmwareVersions(3, 5);
  InitializeWith(true, true);
  RunForcedUpgrade();

  Lines calls = Calls();
  ASSERT_GE(calls.size(), 8u);
  EXPECT_EQ(Lines(calls.begin(), calls.begin() + 5),
            (Lines{L"start forced upgrade", L"work on", L"progress 0", L"flash on",
                   L"status Ready, please wait..."}));
  EXPECT_EQ(Tail(calls, kForcedSuccessEnd.size()), kForcedSuccessEnd);
  Lines steps = StepStatuses();
  Lines forcedSteps(std::find(steps.begin(), steps.end(), L"Ready, please wait..."), steps.end());
  EXPECT_EQ(
      forcedSteps,
      (Lines{L"Ready, please wait...", L"Power off.....", L"Power on.....", L"Recovery config.....",
             L"Recovery global config...", L"Recovery global ok", L"Recovery button config...",
             L"Recovery config ok!", L"Get current version...", L"Save config...",
             L"Recovery mode: 7", L"Recovery mode ok", L"Upgrade success"}));
  // The boot loader was already there: no request to restart into it.
  EXPECT_TRUE(RequestsOf(SimDevice::Controller, CommandCode::EnterBootLoader).empty());
  EXPECT_EQ(sim.ReceivedImage(), image);
  EXPECT_EQ(GlobalWritten(), std::vector<uint8_t>(userGlobal.begin(), userGlobal.end()));
  EXPECT_EQ(ButtonsWritten(), std::vector<uint8_t>(userButtons.begin(), userButtons.end()));
  EXPECT_EQ(sim.GetButtonConfig(), userButtons);
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  EXPECT_EQ(sim.SaveCount(), 1u);
}

TEST_F(ForceUpgradeSequenceTest, OnlyTheGlobalBlockBackedUpSkipsTheButtonRestore) {
  InitializeWith(false, true);
  RunForcedUpgrade();
  Lines steps = StepStatuses();
  auto restore = std::find(steps.begin(), steps.end(), L"Recovery config.....");
  ASSERT_NE(restore, steps.end());
  EXPECT_EQ(Lines(restore, steps.end()),
            (Lines{L"Recovery config.....", L"Recovery global config...", L"Recovery global ok",
                   L"Get current version...", L"Save config...", L"Upgrade success"}));
  EXPECT_TRUE(RequestsOf(SimDevice::Controller, CommandCode::WriteButtonBlock).empty());
  EXPECT_EQ(GlobalWritten(), std::vector<uint8_t>(userGlobal.begin(), userGlobal.end()));
  EXPECT_EQ(sim.GetButtonConfig(), factoryButtons);
}

TEST_F(ForceUpgradeSequenceTest, OnlyTheButtonsBackedUpSkipsTheGlobalRestoreAndTheMode) {
  SetFirmwareVersions(3, 5);  // a version that would take a mode back
  InitializeWith(true, false);
  RunForcedUpgrade();
  Lines steps = StepStatuses();
  auto restore = std::find(steps.begin(), steps.end(), L"Recovery config.....");
  ASSERT_NE(restore, steps.end());
  EXPECT_EQ(Lines(restore, steps.end()),
            (Lines{L"Recovery config.....", L"Recovery button config...", L"Recovery config ok!",
                   L"Get current version...", L"Save config...", L"Upgrade success"}));
  EXPECT_TRUE(GlobalWritten().empty());
  EXPECT_EQ(ButtonsWritten(), std::vector<uint8_t>(userButtons.begin(), userButtons.end()));
  // No global block was read, so there is no mode of the user's to give back.
  EXPECT_TRUE(sim.ModesSet().empty());
  EXPECT_EQ(Tail(Calls(), kForcedSuccessEnd.size()), kForcedSuccessEnd);
}

TEST_F(ForceUpgradeSequenceTest, AnUpdateCutOffHalfwayIsRecoveredWithTheCopyItMade) {
  SetFirmwareVersions(3, 5);
  WriteImage(58 * 20);
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 10, Fault::DeviceGone);
  RunUpgrade();
  ASSERT_EQ(view.CallsOf(L"box"), Lines{L"Upgrade failed!|error|error"});
  // Half a firmware: the controller lost its configuration and comes back as its boot loader.
  ASSERT_EQ(sim.GetButtonConfig(), ButtonConfig{});
  sim.ClearFaults();  // the next transfer goes through

  RunInitialize();
  EXPECT_EQ(view.Count(L"status Backup button config failed!"), 1u);
  EXPECT_EQ(view.Count(L"status Backup global config failed!"), 1u);
  ASSERT_EQ(view.Count(L"boot loader found"), 1u);
  EXPECT_TRUE(run.Buttons().backedUp && run.Global().backedUp);

  const size_t before = view.Calls().size();
  RunForcedUpgrade();
  const Lines calls = view.Calls();
  ASSERT_GT(calls.size(), before);
  EXPECT_EQ(Tail(calls, kForcedSuccessEnd.size()), kForcedSuccessEnd);
  GlobalConfig expected = userGlobal;
  expected[kFirmwareVersionByte] = 5;
  EXPECT_EQ(sim.GetGlobalConfig(), expected);
  EXPECT_EQ(sim.GetButtonConfig(), userButtons);
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{kUserMode});
}

TEST_F(ForceUpgradeSequenceTest, NothingBackedUpSucceedsRightAfterThePowerCycle) {
  SetFirmwareVersions(3, 5);
  InitializeWith(false, false);
  RunForcedUpgrade();
  Lines steps = StepStatuses();
  auto ready = std::find(steps.begin(), steps.end(), L"Ready, please wait...");
  EXPECT_EQ(Lines(ready, steps.end()), (Lines{L"Ready, please wait...", L"Power off.....",
                                              L"Power on.....", L"Upgrade success"}));
  EXPECT_TRUE(GlobalWritten().empty());
  EXPECT_TRUE(ButtonsWritten().empty());
  EXPECT_TRUE(RequestsOf(SimDevice::Controller, CommandCode::ReadGlobalConfig).empty());
  EXPECT_EQ(sim.SaveCount(), 0u);
  EXPECT_TRUE(sim.ModesSet().empty());
  EXPECT_EQ(Tail(Calls(), kForcedSuccessEnd.size()), kForcedSuccessEnd);
}

TEST_F(ForceUpgradeSequenceTest, FailedTransferLeavesTheWindowAndInitializeAlone) {
  run.ButtonsRead(ButtonConfig{});
  run.GlobalRead(GlobalConfig{});
  sim.Inject(Step::Enter, 0, Fault::NoBootLoader);
  RunForcedUpgrade();
  EXPECT_EQ(StepStatuses(), (Lines{L"Ready, please wait...", L"Upgrade failed!"}));
  EXPECT_EQ(Tail(view.Calls(), 4),
            (Lines{L"work off", L"status Upgrade failed!", L"box Upgrade failed!|error|error",
                   L"end forced upgrade"}));
  EXPECT_EQ(view.Count(L"recovery needed"), 0u);
  EXPECT_EQ(view.Count(L"firmware in"), 0u);
  EXPECT_EQ(sim.PowerOnCount(), 0u);
}

TEST_F(ForceUpgradeSequenceTest, UnreadableImageEndsBeforeAnyDeviceStep) {
  WriteImage(0);
  RunForcedUpgrade();
  EXPECT_EQ(
      view.Calls(),
      (Lines{L"start forced upgrade", L"work on", L"work off", L"status Read firmware file failed!",
             L"box Read firmware file failed!|error|error", L"end forced upgrade"}));
  EXPECT_TRUE(sim.Transcript().empty());
}
