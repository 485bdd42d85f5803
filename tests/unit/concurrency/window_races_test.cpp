// Races between the window thread and the workers, with the real start handlers, sequences
// and worker registry in a model of the window thread (cross-thread window calls block until
// served): Refresh during Initialize's backup and throughout an upgrade, Update while
// Initialize waits, presses at the same moment, and the window closing during each sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "frontends/window/resource.h"
#include "tests/support/SequenceRig.h"
#include "tests/unit/concurrency/RaceChecks.h"
#include "tests/unit/concurrency/WindowModel.h"

namespace {

using Log = std::vector<std::wstring>;

// Big enough an image for the window to act while it is sent.
constexpr size_t kImageBytes = 58 * 120 + 5;

size_t IndexOf(const Log& log, const std::wstring& line) {
  return static_cast<size_t>(std::find(log.begin(), log.end(), line) - log.begin());
}

bool Has(const Log& log, const std::wstring& line) {
  return IndexOf(log, line) < log.size();
}

size_t CountPrefix(const Log& log, const std::wstring& prefix) {
  return static_cast<size_t>(std::count_if(log.begin(), log.end(), [&](const std::wstring& line) {
    return line.rfind(prefix, 0) == 0;
  }));
}

// The controller ends with the new image and the user's configuration and mode.
void ExpectUpgraded(SequenceRig& rig) {
  EXPECT_TRUE(rig.sim.ImageComplete());
  EXPECT_EQ(rig.sim.ReceivedImage(), rig.image);
  EXPECT_EQ(rig.sim.GetButtonConfig(), rig.userButtons);
  EXPECT_EQ(rig.sim.ModesSet(), std::vector<uint16_t>{kUserMode});
  EXPECT_TRUE(rig.sim.Violations().empty());
}

void EnableRecoveryButtons(WindowModel& window) {
  window.Post([&window] {
    window.SetEnabled(IDC_INITIALIZE, true);
    window.SetEnabled(IDC_FORCE_UPDATE, true);
  });
}

}  // namespace

TEST(WindowRaces, RefreshDuringInitializeBackupWaitsForTheLinkAndSpoilsNothing) {
  SequenceRig rig(kImageBytes, 1);
  rig.sim.SetHomeHeld(true);
  Watchdog watchdog("Refresh during Initialize");
  WindowModel window(rig.link, rig.context, rig.sim, rig.ImagePath());
  EnableRecoveryButtons(window);
  window.Click(IDC_INITIALIZE);
  constexpr int kClicks = 300;
  std::thread user([&] {
    for (int i = 0; i < kClicks; ++i) {
      window.Click(IDC_REFRESH);
      std::this_thread::yield();
    }
  });
  user.join();
  ASSERT_TRUE(window.WaitUntil([&] { return window.Count(L"worker done") == 1; }));
  ASSERT_TRUE(window.WaitUntil([&] { return window.Count(L"command 1356") == kClicks; }));
  window.RequestClose();
  window.Join();

  // Refresh stays available during Initialize; each read either saw the controller or not.
  const Log log = window.Log();
  EXPECT_EQ(CountPrefix(log, L"version "), static_cast<size_t>(kClicks));
  for (const std::wstring& line : log) {
    if (line.rfind(L"version ", 0) == 0) {
      EXPECT_TRUE(line == L"version Firmware Version: 3 Mode: 7" ||
                  line == L"version Firmware Version: Error")
          << testing::PrintToString(line);
    }
  }
  EXPECT_TRUE(window.run.Buttons().backedUp);
  EXPECT_TRUE(window.run.Global().backedUp);
  EXPECT_EQ(window.run.Buttons().block, rig.userButtons);
  EXPECT_EQ(window.run.Global().block, rig.userGlobal);
  EXPECT_EQ(window.Count(L"enable 1361"), 1u);
  ExpectNoInterleaving(rig.sim.Transcript());
  EXPECT_TRUE(rig.sim.Violations().empty());
}

TEST(WindowRaces, RefreshClickedThroughoutAnUpgradeNeverLocksTheWindow) {
  SequenceRig rig(58 * 400 + 9, 1);
  rig.sim.SetReplyLatencyMs(2);  // about 16 progress updates, each a window call under the lock
  Watchdog watchdog("Refresh during an upgrade");
  WindowModel window(rig.link, rig.context, rig.sim, rig.ImagePath());
  window.Click(IDC_UPDATE);
  std::thread user([&] {
    while (window.Count(L"worker done") == 0) {
      window.Click(IDC_REFRESH);
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });
  ASSERT_TRUE(window.WaitUntil([&] { return window.Count(L"worker done") == 1; }));
  user.join();
  window.RequestClose();
  window.Join();

  const Log log = window.Log();
  EXPECT_EQ(window.Count(L"box Upgrade success|info"), 1u);
  EXPECT_GE(CountPrefix(log, L"progress "), 5u);
  // Between the sequence's disable and enable of Refresh, no Refresh ran on the window.
  const size_t off = IndexOf(log, L"disable 1356");
  const size_t on = IndexOf(log, L"enable 1356");
  ASSERT_LT(off, on);
  for (size_t i = off; i < on; ++i) {
    EXPECT_NE(log[i], L"command 1356") << "Refresh ran during the upgrade, at line " << i;
  }
  ExpectUpgraded(rig);
}

TEST(WindowRaces, UpdatePressedWhileInitializeWaitsRunsBesideIt) {
  SequenceRig rig(kImageBytes, 10);  // Initialize's 15 s wait lasts 150 ms
  Watchdog watchdog("Update during Initialize's wait");
  WindowModel window(rig.link, rig.context, rig.sim, rig.ImagePath());
  EnableRecoveryButtons(window);
  window.Click(IDC_INITIALIZE);  // HOME not held: the controller comes back in normal mode
  ASSERT_TRUE(window.WaitUntil(
      [&] { return window.Count(L"status Please release the HOME button") == 1; }));
  window.Click(IDC_UPDATE);
  ASSERT_TRUE(window.WaitUntil([&] { return window.Count(L"worker done") == 2; }));
  window.RequestClose();
  window.Join();

  const Log log = window.Log();
  // The upgrade started while Initialize still waited, and both ran to their ends.
  ASSERT_TRUE(Has(log, L"hook on"));
  const size_t initializeEnd = std::min(IndexOf(log, L"enable 1361"), IndexOf(log, L"enable 1025"));
  EXPECT_LT(IndexOf(log, L"hook on"), initializeEnd) << "no overlap: nothing was tested";
  EXPECT_EQ(window.Count(L"enable 1361") + window.Count(L"enable 1025"), 1u);
  EXPECT_EQ(window.Count(L"box Upgrade success|info"), 1u);
  ExpectUpgraded(rig);
  ExpectNoInterleaving(rig.sim.Transcript());
}

TEST(WindowRaces, PressesAtTheSameMomentStartOneSequence) {
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    SequenceRig rig(kImageBytes, 1);
    Watchdog watchdog("presses at once");
    WindowModel window(rig.link, rig.context, rig.sim, rig.ImagePath());
    EnableRecoveryButtons(window);
    std::latch go(2);
    std::thread first([&] {
      go.arrive_and_wait();
      window.Click(IDC_UPDATE);
      window.Click(IDC_INITIALIZE);
    });
    std::thread second([&] {
      go.arrive_and_wait();
      window.Click(IDC_FORCE_UPDATE);
      window.Click(IDC_UPDATE);
    });
    first.join();
    second.join();
    ASSERT_TRUE(window.WaitUntil(
        [&] {
          const Log log = window.Log();
          // The four presses (the Refresh that an upgrade posts at its end is no press).
          return CountPrefix(log, L"command ") - window.Count(L"command 1356") +
                         CountPrefix(log, L"ignored ") ==
                     4 &&
                 window.Count(L"worker done") == window.Count(L"worker started");
        },
        20))
        << [&] {
             std::string t;
             for (auto& l : window.Log()) {
               t += std::string(l.begin(), l.end()) + "\n";
             }
             return t;
           }();
    window.RequestClose();
    window.Join();
    EXPECT_EQ(window.Count(L"worker started"), 1u) << "not exactly one sequence ran";
    EXPECT_EQ(window.Count(L"awake on"), 1u);
    EXPECT_LE(window.Count(L"hook on"), 1u);
    EXPECT_TRUE(rig.sim.Violations().empty());
  }
}

class ClosingDuringUpgrade : public testing::TestWithParam<uint16_t> {};

TEST_P(ClosingDuringUpgrade, IsRefusedUntilTheUpgradeHasEnded) {
  const uint16_t button = GetParam();
  SequenceRig rig(kImageBytes, 1);
  Watchdog watchdog("closing during an upgrade");
  WindowModel window(rig.link, rig.context, rig.sim, rig.ImagePath());
  if (button == IDC_FORCE_UPDATE) {
    rig.sim.SetHomeHeld(true);
    EnableRecoveryButtons(window);
    window.Click(IDC_INITIALIZE);
    ASSERT_TRUE(window.WaitUntil([&] { return window.Count(L"enable 1361") == 1; }));
    ASSERT_TRUE(window.WaitUntil([&] { return window.Count(L"worker done") == 1; }));
    rig.sim.SetHomeHeld(false);
  }
  window.Click(button);
  // Asked again and again, from right after the press until the window has gone.
  std::thread user([&] {
    while (!window.Closed()) {
      window.RequestClose();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  window.Join();
  user.join();

  const Log log = window.Log();
  EXPECT_GE(window.Count(L"close refused"), 1u);
  // Closed only once the upgrade had let the window go; nothing of it met a dead window.
  EXPECT_LT(IndexOf(log, L"idle"), IndexOf(log, L"closed"));
  EXPECT_LT(IndexOf(log, L"box Upgrade success|info"), IndexOf(log, L"closed"));
  for (size_t i = 0; i < IndexOf(log, L"idle"); ++i) {
    EXPECT_NE(log[i].rfind(L"dead ", 0), 0u) << testing::PrintToString(log[i]);
  }
  ExpectUpgraded(rig);
}

INSTANTIATE_TEST_SUITE_P(UpdateAndForceUpdate, ClosingDuringUpgrade,
                         testing::Values(uint16_t{IDC_UPDATE}, uint16_t{IDC_FORCE_UPDATE}));

class ClosingDuringInitialize : public testing::TestWithParam<const wchar_t*> {};

TEST_P(ClosingDuringInitialize, EndsItsWaitAndTheWindowOutlivesIt) {
  SequenceRig rig(kImageBytes, 10);
  Watchdog watchdog("closing during Initialize");
  const std::wstring closeAfter = GetParam();
  {
    WindowModel window(rig.link, rig.context, rig.sim, rig.ImagePath());
    EnableRecoveryButtons(window);
    window.Click(IDC_INITIALIZE);  // HOME not held: a full wait would time out
    ASSERT_TRUE(window.WaitUntil([&] { return window.Count(closeAfter) == 1; }));
    window.RequestClose();
    window.Join();  // returns once the worker has left

    const Log log = window.Log();
    EXPECT_TRUE(Has(log, L"closed"));
    EXPECT_TRUE(Has(log, L"awake off"));
    // The wait ended at the close, not at its fifteenth scan.
    EXPECT_EQ(CountPrefix(log, L"enable 1025") + CountPrefix(log, L"dead enable 1025"), 0u);
    EXPECT_EQ(CountPrefix(log, L"enable 1361") + CountPrefix(log, L"dead enable 1361"), 0u);
    EXPECT_EQ(window.workers.LiveCount(), 0u);
  }
  // A power cycle once begun runs to its end: the controller is on again.
  EXPECT_EQ(rig.memory.PowerByte() & 0x01, 0x01);
  EXPECT_TRUE(rig.sim.IsPowered());
}

INSTANTIATE_TEST_SUITE_P(BackupAndWait, ClosingDuringInitialize,
                         testing::Values(L"status Backup config.....",
                                         L"status Please release the HOME button"));
