// Which saved backup is the newest, and which are kept: the order follows the backups'
// sequence numbers whatever the clock said (files of the first format below every numbered
// one); a backup that still has to go back is never pruned, is the one offered, and what
// was read while it waited never takes its place; a declined one never goes back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/MemoryBackupFolder.h"
#include "tests/support/UserController.h"
#include "workflows/backups/BackupStore.h"
#include "workflows/backups/BackupChoice.h"
#include "workflows/backups/PendingBackups.h"

namespace {

constexpr int64_t kTaken = 1796665996123;  // 2026-12-07T17:53:16.123Z
constexpr int64_t kAhead = 4070908800000;  // 2099-01-01: a clock far ahead
constexpr int64_t kMinute = 60000;

SavedBackup Copy(int64_t utcMs, bool global = true) {
  SavedBackup backup;
  backup.takenUtcMs = utcMs;
  if (global) {
    backup.global = UserGlobal(3);
  }
  backup.buttons = UserButtons();
  return backup;
}

std::string Save(BackupFolder* folder, const SavedBackup& backup, BackupState* savedAs = nullptr) {
  std::string name;
  EXPECT_TRUE(SaveBackup(folder, backup, &name, savedAs));
  return name;
}

std::vector<std::string> NamesNewestFirst(BackupFolder* folder) {
  std::vector<BackupEntry> entries;
  EXPECT_TRUE(ListBackups(folder, &entries));
  std::vector<std::string> names;
  for (const BackupEntry& entry : entries) {
    names.push_back(entry.name);
  }
  return names;
}

}  // namespace

TEST(BackupOrder, FollowsTheSequenceNotTheClockAndReadsFirstFormatFilesBelow) {
  MemoryBackupFolder folder;
  // A folder of the first format, one of them made while the clock ran ahead.
  for (int64_t utcMs : {kTaken - 2 * kMinute, kAhead + kMinute, kTaken - kMinute}) {
    folder.Put(BackupFileName(utcMs), FormatBackup(Copy(utcMs)));  // no sequence number
  }
  const std::string old1 = BackupFileName(kTaken - 2 * kMinute);
  const std::string old2 = BackupFileName(kTaken - kMinute);
  const std::string oldAhead = BackupFileName(kAhead + kMinute);
  EXPECT_EQ(NamesNewestFirst(&folder), (std::vector<std::string>{oldAhead, old2, old1}));

  // The clock runs ahead, then is set right: the later save is the newest all the same.
  const std::string ahead = Save(&folder, Copy(kAhead));
  const std::string corrected = Save(&folder, Copy(kTaken));
  EXPECT_EQ(NamesNewestFirst(&folder),
            (std::vector<std::string>{corrected, ahead, oldAhead, old2, old1}));
  BackupEntry newest;
  ASSERT_TRUE(NewestSoundBackup(&folder, &newest));
  EXPECT_EQ(newest.name, corrected);
  EXPECT_EQ(newest.backup.sequence, 2);

  // A file of the first format keeps its format, and so its place, when its state changes.
  ASSERT_TRUE(SetBackupState(&folder, old2, BackupState::kWrittenBack));
  EXPECT_NE(folder.Files()[old2].find("\nformat 1\ntime "), std::string::npos);
  EXPECT_EQ(NamesNewestFirst(&folder)[3], old2);
}

TEST(BackupOrder, APendingBackupIsNeverPrunedAndIsTheConfigurationOffered) {
  MemoryBackupFolder folder;
  // Twenty backups named by a clock far ahead; then the clock goes back.
  for (int i = 0; i < 20; ++i) {
    Save(&folder, Copy(kAhead + i * kMinute));
  }
  const std::string users = Save(&folder, Copy(kTaken));
  ASSERT_TRUE(SetBackupState(&folder, users, BackupState::kPending));  // its transfer began
  EXPECT_EQ(folder.pendingNote, std::optional<int64_t>(kTaken));

  // Twenty further runs read factory settings: saved, set aside, the pending one kept.
  for (int i = 1; i <= 20; ++i) {
    BackupState savedAs = BackupState::kSaved;
    Save(&folder, Copy(kTaken + i * kMinute), &savedAs);
    EXPECT_EQ(savedAs, BackupState::kSetAside);
  }
  std::vector<std::string> names = NamesNewestFirst(&folder);
  EXPECT_EQ(names.size(), kKeptBackups + 1);
  EXPECT_EQ(names.back(), users);
  BackupEntry offered;
  ASSERT_TRUE(NewestPendingBackup(&folder, &offered));
  EXPECT_EQ(offered.name, users);

  // A newer pending backup that holds the button table alone: each block from the newest
  // pending one that holds it.
  const std::string buttonsOnly = Save(&folder, Copy(kTaken + 30 * kMinute, false));
  ASSERT_TRUE(SetBackupState(&folder, buttonsOnly, BackupState::kPending));
  BlockSources sources;
  ASSERT_TRUE(FindPendingSources(&folder, &sources));
  ASSERT_TRUE(sources.global && sources.buttons);
  EXPECT_EQ(sources.global->name, users);
  EXPECT_EQ(sources.buttons->name, buttonsOnly);

  // Declined: nothing is pending any more, and the note says so.
  std::vector<BackupEntry> declined;
  ASSERT_TRUE(DeclinePendingBackups(&folder, &declined));
  ASSERT_EQ(declined.size(), 2u);
  EXPECT_EQ(declined[0].name, buttonsOnly);
  EXPECT_EQ(LoadBackup(&folder, users).backup.state, BackupState::kDeclined);
  EXPECT_FALSE(NewestPendingBackup(&folder, &offered));
  ASSERT_TRUE(folder.pendingNote.has_value());
  EXPECT_FALSE(folder.pendingNote->has_value());

  // What was declined is never written back, nor anything older (the copies set aside); a
  // copy saved since is.
  std::vector<BackupEntry> entries;
  ASSERT_TRUE(ListBackups(&folder, &entries));
  BlockSources saved;
  AddNewestSaved(entries, true, true, &saved);
  EXPECT_TRUE(saved.Empty());
  const std::string kept = Save(&folder, Copy(kTaken + 40 * kMinute));
  ASSERT_TRUE(ListBackups(&folder, &entries));
  AddNewestSaved(entries, true, true, &saved);
  ASSERT_TRUE(saved.global && saved.buttons);
  EXPECT_EQ(saved.global->name, kept);
  EXPECT_EQ(saved.buttons->name, kept);
}

TEST(BackupOrder, TheNewestEntryWhereIsTheFirstOfTheListThatIsAccepted) {
  std::vector<BackupEntry> entries(3);
  entries[0].name = "damaged";
  entries[0].damage = BackupDamage::kBadCrc;
  entries[1].name = "newer";
  entries[2].name = "older";
  const BackupEntry* sound =
      NewestEntryWhere(entries, [](const BackupEntry& entry) { return entry.Sound(); });
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->name, "newer");
  EXPECT_EQ(NewestEntryWhere(entries, [](const BackupEntry& entry) { return entry.Pending(); }),
            nullptr);
}
