// The shipped padwright.exe end to end with its saved backups: the configuration outlives
// the window (a transfer cut off, the window closed, and a new run that finds the boot loader
// alone, offers Force update at once and brings it back), a restore write whose answer is
// lost, the offer to try again, the question at start-up for a backup that never went back,
// and the notice of one that is damaged.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "frontends/window/resource.h"
#include "platform/TimeText.h"
#include "sim/ControllerSimulator.h"
#include "tests/e2e/E2eSteps.h"
#include "tests/support/UserController.h"
#include "tests/win/support/ProductSession.h"
#include "tests/win/support/SavedBackups.h"
#include "tests/win/support/WindowProbe.h"
#include "workflows/backups/BackupStateNames.h"

namespace {

const std::wstring kRestoreFailed =
    L"Upgrade success\n\nThe saved configuration could not be restored.";

// The user's configuration and mode are on the controller, under the new firmware.
void ExpectUsersConfiguration(ControllerSimulator& sim, uint8_t newVersion) {
  GlobalConfig expected = UserGlobal(3);
  expected[kFirmwareVersionByte] = newVersion;
  EXPECT_EQ(sim.GetGlobalConfig(), expected);
  EXPECT_EQ(sim.GetButtonConfig(), UserButtons());
  ASSERT_FALSE(sim.ModesSet().empty());
  EXPECT_EQ(sim.ModesSet().back(), kUserMode);
}

// The newest saved backup holds the user's blocks and is in `state`.
void ExpectNewestBackup(const char* state) {
  const std::vector<BackupEntry> backups = SavedBackups();
  ASSERT_FALSE(backups.empty());
  ASSERT_TRUE(backups.front().Sound());
  EXPECT_EQ(std::string(StateWord(backups.front().backup.state)), state);
  EXPECT_EQ(backups.front().backup.global, UserGlobal(3));
  EXPECT_EQ(backups.front().backup.buttons, UserButtons());
}

// Every answer to the global block's write lost `times` times.
void LoseGlobalWrites(ControllerSimulator& sim, uint32_t times) {
  for (uint32_t i = 0; i < times; ++i) {
    sim.Inject(Step::GlobalWrite, i, Fault::NoReply);
  }
}

// The controller is switched off and on again and takes its time to come up: it does not
// answer until AnswerAgain. (Its power bit stays on, as the product last set it.)
void ComeUpSlowly(ControllerSimulator& sim) {
  sim.SetPowerOnDelayMs(600000);
  sim.SetPower(false);
  sim.SetPower(true);
}

void AnswerAgain(ControllerSimulator& sim) {
  sim.SetPowerOnDelayMs(500);
  ASSERT_TRUE(probe::WaitFor([&sim] { return sim.State() == SimState::Normal; }));
}

}  // namespace

TEST(SavedBackups, AConfigurationLostWithTheWindowComesBackInTheNextRun) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 50, Fault::DeviceGone);
  {
    ProductSession first(sim, 58 * 100);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
    first.Click(IDC_UPDATE);
    ExpectOutcomeBox(first, L"Upgrade failed!", L"error", L"");
    EXPECT_EQ(first.Close(), 0u);  // the user gives up and closes the window
  }
  ASSERT_EQ(sim.GetButtonConfig(), ButtonConfig{});  // the controller's copy is gone
  ExpectNewestBackup("pending");
  sim.ClearFaults();

  // A new run: the controller answers only as its boot loader (switched on again, the
  // firmware gone), so nothing is asked at start-up; the window offers Force update at once,
  // which writes back what the first run saved.
  sim.SetPower(false);
  sim.SetPower(true);
  ASSERT_TRUE(probe::WaitFor([&sim] { return sim.State() == SimState::BootLoader; }));
  ProductSession second(sim, 58 * 100, L"", true);
  ASSERT_TRUE(second.Start());
  const RECT collapsed = probe::RectOf(second.Window());
  ASSERT_TRUE(second.WaitForText(IDC_VERSION, L"Firmware Version: Error", 20000));
  const std::vector<BackupEntry> backups = SavedBackups();
  ASSERT_FALSE(backups.empty());
  EXPECT_TRUE(
      second.WaitForText(IDC_STATUS,
                         L"In its boot loader: Force update writes firmware and configuration of " +
                             LocalMinuteText(backups.front().backup.takenUtcMs),
                         20000));
  EXPECT_TRUE(probe::WaitFor([&] { return second.Enabled(IDC_FORCE_UPDATE); }, 10000));
  EXPECT_GT(probe::RectOf(second.Window()).bottom - probe::RectOf(second.Window()).top,
            collapsed.bottom - collapsed.top);  // grown: Force update shows
  EXPECT_TRUE(second.Enabled(IDC_UPDATE));
  EXPECT_FALSE(second.Enabled(IDC_INITIALIZE));
  EXPECT_EQ(second.WaitForBox(2000), nullptr);
  second.Click(IDC_FORCE_UPDATE);
  ExpectOutcomeBox(second, L"Upgrade success", L"info", L"");
  EXPECT_EQ(sim.ReceivedImage(), second.Image());
  ExpectUsersConfiguration(sim, 4);
  ExpectNewestBackup("written-back");
  EXPECT_EQ(second.Close(), 0u);
}

TEST(SavedBackups, ARestoreWriteAnsweredAtTheThirdTryIsAPlainSuccess) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  LoseGlobalWrites(sim, 2);
  ProductSession session(sim, 58 * 20);
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  session.Click(IDC_UPDATE);
  ExpectOutcomeBox(session, L"Upgrade success", L"info", L"");
  ExpectUsersConfiguration(sim, 4);
  ExpectNewestBackup("written-back");
  EXPECT_EQ(session.Close(), 0u);
}

TEST(SavedBackups, RetryWritesTheConfigurationAgainAndCancelLeavesItForTheNextStart) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  LoseGlobalWrites(sim, 3);
  {
    ProductSession session(sim, 58 * 20);
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
    session.Click(IDC_UPDATE);
    // Retry, with the controller answering again: the configuration goes back.
    HWND box = ExpectBox(session, kRestoreFailed, L"warn", false);
    ASSERT_NE(box, nullptr);
    session.Screenshot(L"e2e-restore-retry.png", box);
    sim.ClearFaults();
    EXPECT_TRUE(session.Answer(box, IDRETRY));
    ExpectOutcomeBox(session, L"Upgrade success", L"info", L"");
    ExpectUsersConfiguration(sim, 4);
    ExpectNewestBackup("written-back");
    WaitForTailRefresh(session);

    // Lost three times again, and this time Cancel: the backup stays pending.
    sim.SetGlobalConfig(UserGlobal(3));
    sim.SetButtonConfig(UserButtons());
    LoseGlobalWrites(sim, 3);
    // Update comes back a moment after the last sequence's box has gone.
    ASSERT_TRUE(probe::WaitFor([&session] { return session.Enabled(IDC_UPDATE); }, 20000));
    session.SetText(IDC_VERSION, L"");
    session.Click(IDC_UPDATE);
    box = ExpectBox(session, kRestoreFailed, L"warn", false);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(session.Answer(box, IDCANCEL));
    WaitForTailRefresh(session);
    ExpectNewestBackup("pending");
    EXPECT_EQ(session.Close(), 0u);
  }
  sim.ClearFaults();
  {
    // The next start asks once the controller answers; No leaves the controller alone...
    ProductSession declining(sim, 58 * 20, L"", true);
    ASSERT_TRUE(declining.Start());
    HWND question = declining.WaitForBox(kSequenceMs);
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(declining.Answer(question, IDNO));
    // The window writes the answer down once its box has gone.
    probe::WaitFor([] {
      const std::vector<BackupEntry> backups = SavedBackups();
      return !backups.empty() && backups.front().backup.state == BackupState::kDeclined;
    });
    ExpectNewestBackup("declined");
    EXPECT_EQ(declining.Close(), 0u);
  }
  {
    // ...and is not asked again.
    ProductSession quiet(sim, 58 * 20, L"", true);
    ASSERT_TRUE(quiet.Start());
    ASSERT_TRUE(probe::WaitFor(
        [&] { return quiet.Text(IDC_VERSION).rfind(L"Firmware Version: 4 ", 0) == 0; }, 20000));
    EXPECT_EQ(quiet.WaitForBox(3000), nullptr);
    EXPECT_EQ(quiet.Close(), 0u);
  }
  // Pending once more (as after another cut transfer): Yes writes the backup back.
  MarkNewestBackup(BackupState::kPending);
  ProductSession next(sim, 58 * 20, L"", true);
  ASSERT_TRUE(next.Start());
  HWND question = next.WaitForBox(kSequenceMs);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(probe::TextOf(question), L"warn");
  const std::wstring text = probe::MessageBoxText(question);
  EXPECT_EQ(text.rfind(L"The configuration saved on ", 0), 0u) << testing::PrintToString(text);
  EXPECT_NE(text.find(L" was not written back to the controller.\n\nWrite it back now?"),
            std::wstring::npos);
  next.Screenshot(L"e2e-startup-question.png", question);
  EXPECT_TRUE(next.Answer(question, IDYES));
  ExpectOutcomeBox(next, L"Configuration restored", L"info", L"");
  ExpectUsersConfiguration(sim, 4);
  ExpectNewestBackup("written-back");
  EXPECT_EQ(next.Close(), 0u);
}

TEST(SavedBackups, APendingBackupIsOfferedOnceTheControllerAnswersAndUpdateWritesItBack) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  // A restore that fails, Cancel, and the window closed: the backup is pending, the controller
  // holds the new firmware's factory settings.
  auto leavePending = [&sim](ProductSession& session) {
    LoseGlobalWrites(sim, 3);
    // Update comes back a moment after the last sequence's box has gone.
    ASSERT_TRUE(probe::WaitFor([&session] { return session.Enabled(IDC_UPDATE); }, 20000));
    session.SetText(IDC_VERSION, L"");
    session.Click(IDC_UPDATE);
    HWND box = ExpectBox(session, kRestoreFailed, L"warn", false);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(session.Answer(box, IDCANCEL));
    WaitForTailRefresh(session);
    sim.ClearFaults();
    EXPECT_EQ(session.Close(), 0u);
  };
  {
    ProductSession first(sim, 58 * 20);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
    leavePending(first);
  }
  {
    // The next run starts while the controller does not answer: nothing is asked. Once it
    // answers, the first Refresh that finds it asks.
    ComeUpSlowly(sim);
    ProductSession second(sim, 58 * 20, L"", true);
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForText(IDC_VERSION, L"Firmware Version: Error", 20000));
    EXPECT_EQ(second.WaitForBox(2000), nullptr);
    AnswerAgain(sim);
    // Refresh, as a user would press it again until the version shows.
    ASSERT_TRUE(probe::WaitFor([&second] {
      second.Click(IDC_REFRESH);
      return second.Text(IDC_VERSION).rfind(L"Firmware Version: 4 ", 0) == 0;
    }));
    HWND question = second.WaitForBox(kSequenceMs);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(probe::MessageBoxText(question).rfind(L"The configuration saved on ", 0), 0u);
    EXPECT_TRUE(second.Answer(question, IDYES));
    ExpectOutcomeBox(second, L"Configuration restored", L"info", L"");
    ExpectUsersConfiguration(sim, 4);
    leavePending(second);
  }
  // Once more the controller comes back only after the start; Update reads its factory
  // settings, keeps them set aside and writes the user's pending backup back.
  ComeUpSlowly(sim);
  ProductSession third(sim, 58 * 20, L"", true);
  ASSERT_TRUE(third.Start());
  ASSERT_TRUE(third.WaitForText(IDC_VERSION, L"Firmware Version: Error", 20000));
  AnswerAgain(sim);
  third.Click(IDC_UPDATE);
  ExpectOutcomeBox(third, L"Upgrade success", L"info", L"");
  ExpectUsersConfiguration(sim, 4);
  const std::vector<BackupEntry> backups = SavedBackups();
  ASSERT_GE(backups.size(), 2u);
  EXPECT_EQ(backups[0].backup.state, BackupState::kSetAside);
  EXPECT_EQ(backups[1].backup.state, BackupState::kWrittenBack);
  EXPECT_EQ(backups[1].backup.buttons, UserButtons());
  // Nothing is pending now, so the Refresh after the update that finds the controller asks
  // nothing.
  EXPECT_EQ(third.WaitForBox(3000), nullptr);
  EXPECT_EQ(third.Close(), 0u);
}

TEST(SavedBackups, APendingBackupThatIsDamagedIsNamedAtStartAndNeverOffered) {
  ControllerSimulator sim;
  SetUpUserController(sim, 3, 4);
  ProductSession session(sim, 58 * 20);  // forgets the saved backups first
  SavedBackup pending;
  pending.sequence = 1;
  pending.takenUtcMs = 1796665996123;
  pending.global = UserGlobal(3);
  pending.buttons = UserButtons();
  pending.state = BackupState::kPending;
  std::string damaged = FormatBackup(pending);
  damaged.replace(damaged.find("mode 7"), 6, "mode 8");  // its checksum fails
  const std::string name = BackupFileName(pending.takenUtcMs);
  PutSavedBackupFile(name, damaged);
  ASSERT_TRUE(session.Start());
  HWND notice = session.WaitForBox(kSequenceMs);
  ASSERT_NE(notice, nullptr);
  const std::wstring text = probe::MessageBoxText(notice);
  EXPECT_NE(text.find(std::wstring(name.begin(), name.end()) +
                      L": a damaged pending backup (checksum wrong): kept, not read"),
            std::wstring::npos)
      << std::string(text.begin(), text.end());
  EXPECT_TRUE(session.Answer(notice, IDOK));
  ASSERT_TRUE(session.WaitForText(IDC_VERSION, L"Firmware Version: 3 Mode: 7", 20000));
  // Once a run, and no question: nothing sound waits to go back.
  EXPECT_EQ(session.WaitForBox(3000), nullptr);
  EXPECT_EQ(SavedBackups().size(), 1u);
  EXPECT_EQ(session.Close(), 0u);
}
