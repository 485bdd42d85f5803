// Initialize against the simulated controller: what it backs up, the power cycle, the
// window freed before the wait, and the wait for the boot loader in its three endings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/workflows/WorkflowFixture.h"
#include "workflows/BackupBuffers.h"

namespace {

const std::wstring kPrompt = L"status Please release the HOME button";
const std::wstring kFound = L"status Initialize ok\uFF0CYou can force an upgrade now\uFF01";

}  // namespace

class InitializeSequenceTest : public WorkflowTest {};

TEST_F(InitializeSequenceTest, BootLoaderAtTheFirstScanEnablesForceUpdateOneSecondAfterThePrompt) {
  sim.SetHomeHeld(true);
  RunInitialize();

  EXPECT_EQ(view.Calls(),
            (Lines{L"awake on", L"status Backup config.....", L"set button 1", L"set global 1",
                   L"status Power off.....", L"status Power on.....", L"idle", kPrompt, L"closing?",
                   L"enable 1361", kFound, L"awake off"}));
  EXPECT_EQ(view.TimeOf(L"enable 1361") - view.TimeOf(kPrompt), 1000u);
  // The window is free again once the controller is back on, before the wait.
  EXPECT_EQ(view.TimeOf(L"idle") - view.TimeOf(L"status Power on....."), 2000u);
  EXPECT_EQ(view.TimeOf(L"status Power on.....") - view.TimeOf(L"status Power off....."), 1000u);
  EXPECT_TRUE(view.buttonBackedUp);
  EXPECT_TRUE(view.globalBackedUp);
  EXPECT_EQ(savedGlobalConfig, userGlobal);
  EXPECT_EQ(savedButtonConfig, userButtons);
  EXPECT_EQ(sim.State(), SimState::BootLoader);
  // Only looked for: the boot loader was never written to.
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
}

TEST_F(InitializeSequenceTest, BootLoaderAtTheLastScanIsStillTaken) {
  sim.SetHomeHeld(true);
  // Back 16.5 s after power-on: the 2 s pause, then between the 14th and 15th scan.
  sim.SetPowerOnDelayMs(16500);
  RunInitialize();
  EXPECT_EQ(view.Count(L"closing?"), 15u);
  EXPECT_EQ(view.TimeOf(L"enable 1361") - view.TimeOf(kPrompt), 15000u);
  EXPECT_EQ(view.Calls().back(), L"awake off");
  EXPECT_EQ(view.CallsOf(L"status").back(), kFound.substr(7));
  EXPECT_EQ(view.Count(L"enable 1025"), 0u);
}

TEST_F(InitializeSequenceTest, NoBootLoaderMeansFifteenScansThenInitializeCanBeTriedAgain) {
  RunInitialize();  // HOME not held: the controller comes back in normal mode
  EXPECT_EQ(view.Count(L"closing?"), 15u);
  Lines calls = view.Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(Lines(calls.end() - 3, calls.end()),
            (Lines{L"closing?", L"enable 1025", L"awake off"}));
  EXPECT_EQ(view.TimeOf(L"enable 1025") - view.TimeOf(kPrompt), 15000u);
  EXPECT_EQ(view.CallsOf(L"status").back(), kPrompt.substr(7));
  EXPECT_EQ(view.Count(L"enable 1361"), 0u);
}

TEST_F(InitializeSequenceTest, ClosingWindowEndsTheWaitAtItsNextScan) {
  sim.SetHomeHeld(true);
  view.closing = true;
  RunInitialize();
  Lines calls = view.Calls();
  EXPECT_EQ(Lines(calls.end() - 3, calls.end()), (Lines{kPrompt, L"closing?", L"awake off"}));
  EXPECT_EQ(view.CallsOf(L"enable"), Lines{});
}

TEST_F(InitializeSequenceTest, ControllerNotAnsweringFailsBothBackupsAndGoesOn) {
  sim.SetPower(false);
  sim.SetHomeHeld(true);
  memory.SetUnavailable(false);
  RunInitialize();
  EXPECT_EQ(view.CallsOf(L"status"),
            (Lines{L"Backup config.....", L"Backup button config failed!",
                   L"Backup global config failed!", L"Power off.....", L"Power on.....",
                   L"Please release the HOME button",
                   L"Initialize ok\uFF0CYou can force an upgrade now\uFF01"}));
  EXPECT_FALSE(view.buttonBackedUp);
  EXPECT_FALSE(view.globalBackedUp);
  EXPECT_EQ(view.Count(L"set button 1") + view.Count(L"set global 1"), 0u);
}

TEST_F(InitializeSequenceTest, EachBackupSetsOnlyItsOwnFlag) {
  sim.Inject(Step::GlobalRead, 0, Fault::NoReply);
  RunInitialize();
  EXPECT_TRUE(view.buttonBackedUp);
  EXPECT_FALSE(view.globalBackedUp);
  EXPECT_EQ(view.CallsOf(L"status")[1], L"Backup global config failed!");
  EXPECT_EQ(savedButtonConfig, userButtons);
  EXPECT_EQ(savedGlobalConfig, GlobalConfig{});
}

TEST_F(InitializeSequenceTest, AFailedBackupKeepsTheEarlierCopyAndAFullOneReplacesIt) {
  // A complete copy from earlier in the run, other than what the controller holds now.
  const ButtonConfig earlier = FactoryButtons();
  savedButtonConfig = earlier;
  view.buttonBackedUp = true;
  sim.Inject(Step::ButtonRead, 20, Fault::NoReply);
  RunInitialize();
  EXPECT_EQ(view.CallsOf(L"status")[1], L"Backup button config failed!");
  EXPECT_EQ(savedButtonConfig, earlier);
  EXPECT_TRUE(view.buttonBackedUp);
  EXPECT_EQ(view.Count(L"set button 0") + view.Count(L"set button 1"), 0u);

  RunInitialize();
  EXPECT_EQ(savedButtonConfig, userButtons);
  EXPECT_TRUE(view.buttonBackedUp);
}

TEST_F(InitializeSequenceTest, UnusablePowerSwitchEndsBeforeTheControllerIsTouched) {
  memory.SetUnavailable(true);
  RunInitialize();
  // Free before the button is back: a press on it is taken.
  EXPECT_EQ(view.Calls(), (Lines{L"awake on", L"status Power switch unavailable!", L"idle",
                                 L"enable 1025", L"awake off"}));
  EXPECT_TRUE(sim.Transcript().empty());
}
