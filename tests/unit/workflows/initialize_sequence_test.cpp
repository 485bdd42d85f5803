// Initialize against the simulated controller: what it backs up, the power cycle, the
// flash over before the wait, and the wait for the boot loader in its three endings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/workflows/WorkflowFixture.h"

namespace {

const std::wstring kPrompt = L"status Please release the HOME button";
const std::wstring kFound = L"status Initialize ok\uFF0CYou can force an upgrade now\uFF01";

}  // namespace

class InitializeSequenceTest : public WorkflowTest {};

TEST_F(InitializeSequenceTest, BootLoaderAtTheFirstScanEnablesForceUpdateOneSecondAfterThePrompt) {
  sim.SetHomeHeld(true);
  RunInitialize();

  EXPECT_EQ(view.Calls(),
            (Lines{L"start initialize", L"work on", L"status Backup config.....", L"flash on",
                   L"status Power off.....", L"status Power on.....", L"flash off", kPrompt,
                   L"stop?", L"boot loader found", kFound, L"work off", L"end initialize"}));
  EXPECT_EQ(view.TimeOf(L"boot loader found") - view.TimeOf(kPrompt), 1000u);
  // The flash is over once the controller is back on, before the wait.
  EXPECT_EQ(view.TimeOf(L"flash off") - view.TimeOf(L"status Power on....."), 2000u);
  EXPECT_EQ(view.TimeOf(L"status Power on.....") - view.TimeOf(L"status Power off....."), 1000u);
  EXPECT_TRUE(run.Buttons().backedUp);
  EXPECT_TRUE(run.Global().backedUp);
  EXPECT_EQ(run.Global().block, userGlobal);
  EXPECT_EQ(run.Buttons().block, userButtons);
  EXPECT_EQ(sim.State(), SimState::BootLoader);
  // Only looked for: the boot loader was never written to.
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
}

TEST_F(InitializeSequenceTest, BootLoaderAtTheLastScanIsStillTaken) {
  sim.SetHomeHeld(true);
  // Back 16.5 s after power-on: the 2 s pause, then between the 14th and 15th scan.
  sim.SetPowerOnDelayMs(16500);
  RunInitialize();
  EXPECT_EQ(view.Count(L"stop?"), 15u);
  EXPECT_EQ(view.TimeOf(L"boot loader found") - view.TimeOf(kPrompt), 15000u);
  EXPECT_EQ(Tail(view.Calls(), 2), (Lines{L"work off", L"end initialize"}));
  EXPECT_EQ(view.CallsOf(L"status").back(), kFound.substr(7));
}

TEST_F(InitializeSequenceTest, NoBootLoaderMeansFifteenScansThenInitializeCanBeTriedAgain) {
  RunInitialize();  // HOME not held: the controller comes back in normal mode
  EXPECT_EQ(view.Count(L"stop?"), 15u);
  EXPECT_EQ(Tail(view.Calls(), 3), (Lines{L"stop?", L"work off", L"end initialize"}));
  EXPECT_EQ(view.TimeOf(L"end initialize") - view.TimeOf(kPrompt), 15000u);
  EXPECT_EQ(view.CallsOf(L"status").back(), kPrompt.substr(7));
  EXPECT_EQ(view.Count(L"boot loader found"), 0u);
}

TEST_F(InitializeSequenceTest, ClosingWindowEndsTheWaitAtItsNextScan) {
  sim.SetHomeHeld(true);
  view.stopRequested = true;
  RunInitialize();
  EXPECT_EQ(Tail(view.Calls(), 4), (Lines{kPrompt, L"stop?", L"work off", L"end initialize"}));
  EXPECT_EQ(view.Count(L"boot loader found"), 0u);
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
  EXPECT_FALSE(run.Buttons().backedUp);
  EXPECT_FALSE(run.Global().backedUp);
}

TEST_F(InitializeSequenceTest, EachBackupSetsOnlyItsOwnFlag) {
  sim.Inject(Step::GlobalRead, 0, Fault::NoReply);
  RunInitialize();
  EXPECT_TRUE(run.Buttons().backedUp);
  EXPECT_FALSE(run.Global().backedUp);
  EXPECT_EQ(view.CallsOf(L"status")[1], L"Backup global config failed!");
  EXPECT_EQ(run.Buttons().block, userButtons);
  EXPECT_EQ(run.Global().block, GlobalConfig{});
}

TEST_F(InitializeSequenceTest, AFailedBackupKeepsTheEarlierCopyAndAFullOneReplacesIt) {
  // A complete copy from earlier in the run, other than what the controller holds now.
  const ButtonConfig earlier = FactoryButtons();
  run.ButtonsRead(earlier);
  sim.Inject(Step::ButtonRead, 20, Fault::NoReply);
  RunInitialize();
  EXPECT_EQ(view.CallsOf(L"status")[1], L"Backup button config failed!");
  EXPECT_EQ(run.Buttons().block, earlier);
  EXPECT_TRUE(run.Buttons().backedUp);

  RunInitialize();
  EXPECT_EQ(run.Buttons().block, userButtons);
  EXPECT_TRUE(run.Buttons().backedUp);
}

TEST_F(InitializeSequenceTest, UnusablePowerSwitchEndsBeforeTheControllerIsTouched) {
  memory.SetUnavailable(true);
  RunInitialize();
  EXPECT_EQ(view.Calls(),
            (Lines{L"start initialize", L"work on", L"status Power switch unavailable!",
                   L"work off", L"end initialize"}));
  EXPECT_TRUE(sim.Transcript().empty());
}
