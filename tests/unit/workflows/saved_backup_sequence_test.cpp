// The sequences with the saved backups: the copy is on disk before anything is sent, a
// backup that cannot be saved stops Update but not Initialize, a later run writes back the
// newest sound saved backup (damaged ones skipped), Retry writes the same copy again, and a
// saved backup is written back alone; nothing is sent without a backup number left or a
// pending mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/TimeText.h"
#include "tests/unit/workflows/WorkflowFixture.h"
#include "workflows/backups/BackupStore.h"
#include "workflows/RestoreSequence.h"

namespace {

const std::wstring kNotSaved = L"Could not save the configuration backup!";

std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

class SavedBackupTest : public WorkflowTest {
 public:
  SavedBackupTest() { SetFirmwareVersions(3, 4); }

  // The one backup in the folder.
  BackupEntry OnlyBackup() {
    std::vector<BackupEntry> entries;
    EXPECT_TRUE(ListBackups(&backups, &entries));
    EXPECT_EQ(entries.size(), 1u);
    return entries.empty() ? BackupEntry{} : entries.front();
  }

  // The user's configuration and mode are on the controller, under the new firmware.
  void ExpectRestored() {
    EXPECT_EQ(sim.GetButtonConfig(), userButtons);
    GlobalConfig global = sim.GetGlobalConfig();
    global[kFirmwareVersionByte] = userGlobal[kFirmwareVersionByte];
    EXPECT_EQ(global, userGlobal);
    ASSERT_FALSE(sim.ModesSet().empty());
    EXPECT_EQ(sim.ModesSet().back(), kUserMode);
  }
};

TEST_F(SavedBackupTest, UpdateKeepsTheCopyOnDiskBeforeAnythingIsSentOrStops) {
  sim.Inject(Step::Enter, 0, Fault::NoBootLoader);
  RunUpgrade();
  // Taken before the restart request; the transfer never began, so nothing is lost.
  const BackupEntry backup = OnlyBackup();
  ASSERT_TRUE(backup.Sound());
  EXPECT_EQ(backup.backup.state, BackupState::kSaved);
  EXPECT_EQ(backup.backup.global, userGlobal);
  EXPECT_EQ(backup.backup.buttons, userButtons);

  StartNewRun();
  backups.failWrites = true;
  sim.ClearFaults();
  sim.SetPower(false);  // back from where the restart left it
  sim.SetPower(true);
  RunUpgrade();
  EXPECT_EQ(StepStatuses(), (Lines{L"Backup config.....", kNotSaved}));
  EXPECT_EQ(CallsOf(L"box"), Lines{kNotSaved + L"|error|error"});
  const Lines calls = Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), L"recovery needed"), 0);  // nothing changed
  EXPECT_TRUE(sim.Requests(SimDevice::BootLoader).empty());
  EXPECT_TRUE(RequestsOf(SimDevice::Controller, CommandCode::EnterBootLoader).empty());
}

TEST_F(SavedBackupTest, InitializeSaysWhenItCannotSaveAndGoesOn) {
  backups.failWrites = true;
  ASSERT_TRUE(PrepareForcedUpgrade());
  const Lines statuses = view.CallsOf(L"status");
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), kNotSaved), statuses.end());
  EXPECT_TRUE(run.Buttons().backedUp && run.Global().backedUp);  // the copies in memory still count
}

TEST_F(SavedBackupTest, ALaterRunWritesBackTheNewestSoundBackupAndSkipsADamagedOne) {
  // An update cut off half-way: the controller's configuration is gone with its firmware.
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 5, Fault::DeviceGone);
  RunUpgrade();
  const std::string cut = OnlyBackup().name;
  EXPECT_EQ(OnlyBackup().backup.state, BackupState::kPending);
  // A newer file was torn by a power cut as it was written.
  const std::string torn = BackupFileName(clock->UtcMs() + 1000);
  backups.Put(torn, FormatBackup(OnlyBackup().backup).substr(0, 100));
  sim.ClearFaults();

  // The next run: Initialize finds only the boot loader and reads nothing.
  StartNewRun();
  ASSERT_TRUE(PrepareForcedUpgrade());
  ASSERT_FALSE(run.Buttons().backedUp || run.Global().backedUp);
  RunForcedUpgrade();
  const Lines statuses = StepStatuses();
  ASSERT_GE(statuses.size(), 3u);
  EXPECT_EQ(statuses[0], L"Skipped a damaged saved backup (torn): " + Widen(torn));
  EXPECT_EQ(statuses[1], L"Using the configuration saved on " +
                             LocalMinuteText(LoadBackup(&backups, cut).backup.takenUtcMs));
  EXPECT_EQ(statuses[2], L"Ready, please wait...");
  EXPECT_EQ(CallsOf(L"box"), Lines{L"Upgrade success|info|info"});
  ExpectRestored();
  EXPECT_EQ(LoadBackup(&backups, cut).backup.state, BackupState::kWrittenBack);
}

TEST_F(SavedBackupTest, ABlockThisRunLacksComesFromTheSavedBackup) {
  RunUpgrade();  // a complete backup on disk, written back
  StartNewRun();
  sim.SetGlobalConfig(factoryGlobal);               // a global block the user never had...
  sim.Inject(Step::GlobalRead, 0, Fault::NoReply);  // ...that Initialize cannot read
  ASSERT_TRUE(PrepareForcedUpgrade());
  ASSERT_TRUE(run.Buttons().backedUp && !run.Global().backedUp);
  sim.SetButtonConfig(factoryButtons);
  RunForcedUpgrade();
  // This run's button table, the saved global block and its mode.
  EXPECT_EQ(ButtonsWritten(), std::vector<uint8_t>(userButtons.begin(), userButtons.end()));
  EXPECT_EQ(GlobalWritten(), std::vector<uint8_t>(userGlobal.begin(), userGlobal.end()));
  EXPECT_EQ(sim.ModesSet(), (std::vector<uint16_t>{kUserMode, kUserMode}));  // both runs
}

TEST_F(SavedBackupTest, RetryWritesTheSameCopyAgainUntilItGoesBack) {
  for (uint32_t i = 0; i < 3; ++i) {
    sim.Inject(Step::GlobalWrite, i, Fault::ShortReply);
  }
  view.retryAnswers = {true};
  view.onBox = [this] { sim.ClearFaults(); };
  RunUpgrade();
  EXPECT_EQ(CallsOf(L"retry?").size(), 1u);
  EXPECT_EQ(CallsOf(L"box"), Lines{L"Upgrade success|info|info"});
  // No second transfer or power cycle: only the restore again.
  EXPECT_EQ(sim.PowerOnCount(), 1u);
  EXPECT_EQ(RequestsOf(SimDevice::Controller, CommandCode::WriteGlobalConfig).size(), 4u);
  ExpectRestored();
  EXPECT_EQ(OnlyBackup().backup.state, BackupState::kWrittenBack);
  // The device steps are over before either box waits, and held again for the retry.
  const Lines calls = Calls();
  const auto offer = std::find(calls.begin(), calls.end(),
                               L"retry? " + std::wstring(kRestoreFailedOutcome) + L"|warn|warning");
  ASSERT_NE(offer, calls.end());
  EXPECT_EQ(*(offer - 3), L"work off");
  EXPECT_EQ(*(offer + 1), L"work on");
  EXPECT_EQ(*(std::find(calls.begin(), calls.end(), L"box Upgrade success|info|info") - 2),
            L"work off");
}

TEST_F(SavedBackupTest, ASavedBackupIsWrittenBackAloneOrOfferedAgain) {
  RunUpgrade();
  const BackupEntry saved = OnlyBackup();
  sim.SetGlobalConfig(factoryGlobal);
  sim.SetButtonConfig(factoryButtons);
  SetBackupState(&backups, saved.name, BackupState::kPending);
  StartNewRun();
  for (uint32_t i = 0; i < 3; ++i) {
    sim.Inject(Step::ButtonWrite, i * 33, Fault::ShortReply);
  }
  view.retryAnswers = {false};
  EXPECT_FALSE(RestoreSequence(link, context, view, saved.name, saved.backup));
  EXPECT_EQ(CallsOf(L"retry?"), Lines{std::wstring(kRestoreOnlyFailedOutcome) + L"|warn|warning"});
  EXPECT_EQ(LoadBackup(&backups, saved.name).backup.state, BackupState::kPending);

  sim.ClearFaults();
  StartNewRun();
  EXPECT_TRUE(RestoreSequence(link, context, view, saved.name, saved.backup));
  EXPECT_EQ(StepStatuses().front(),
            L"Using the configuration saved on " + LocalMinuteText(saved.backup.takenUtcMs));
  EXPECT_EQ(CallsOf(L"box"), Lines{L"Configuration restored|info|info"});
  EXPECT_EQ(sim.SaveCount(), 2u);
  ExpectRestored();
  EXPECT_EQ(LoadBackup(&backups, saved.name).backup.state, BackupState::kWrittenBack);
}

TEST_F(SavedBackupTest, NothingIsSentWithoutABackupNumberOrAPendingMark) {
  // A sound backup carries the largest number: a new one would carry a longer, unreadable one.
  const std::string plantedName = PlantBackupAtLargestNumber();
  RunUpgrade();
  const std::wstring noNumber = BackupNotSavedStatus(&backups, true);
  EXPECT_EQ(StepStatuses(), (Lines{L"Backup config.....", noNumber}));
  EXPECT_NE(noNumber.find(L"no backup number is left"), std::wstring::npos);
  EXPECT_EQ(CallsOf(L"box"), Lines{noNumber + L"|error|error"});
  EXPECT_TRUE(RequestsOf(SimDevice::Controller, CommandCode::EnterBootLoader).empty());
  EXPECT_EQ(backups.Files().size(), 1u);

  // Saved, but its pending mark cannot be written: stopped in the boot loader before the
  // first data packet, which erases the controller, and switched off and on to leave it.
  backups.Remove(plantedName);
  StartNewRun();
  sim.SetTransferErases(true);
  backups.writesBeforeFailing = 1;
  RunUpgrade();
  EXPECT_EQ(StepStatuses().back(), PendingNotMarkedStatus(L""));
  EXPECT_EQ(CallsOf(L"box"),
            Lines{PendingNotMarkedStatus(L"") + L"\n\n" + kPendingNotMarkedMore + L"|error|error"});
  EXPECT_EQ(RequestsOf(SimDevice::Controller, CommandCode::EnterBootLoader).size(), 1u);
  EXPECT_TRUE(RequestsOf(SimDevice::BootLoader, CommandCode::DataPacket).empty());
  EXPECT_EQ(sim.State(), SimState::Normal);
  EXPECT_EQ(sim.GetButtonConfig(), userButtons);
  EXPECT_EQ(OnlyBackup().backup.state, BackupState::kSaved);
}
