// The saved backups' file format and the folder's rules: what is read back is what was
// written, and a file that is torn, damaged, of another format or with a block of the wrong
// size is never taken for a backup; the folder keeps the newest twenty.
#include <gtest/gtest.h>

#include <string>

#include "platform/Crc32.h"
#include "platform/TimeText.h"
#include "tests/support/MemoryBackupFolder.h"
#include "tests/support/UserController.h"
#include "workflows/backups/BackupFormat.h"
#include "workflows/backups/BackupStore.h"

namespace {

constexpr int64_t kTaken = 1796665996123;  // 2026-12-07T17:53:16.123Z

SavedBackup UsersBackup() {
  SavedBackup backup;
  backup.sequence = 42;
  backup.takenUtcMs = kTaken;
  backup.global = UserGlobal(3);
  backup.buttons = UserButtons();
  backup.state = BackupState::kPending;
  return backup;
}

// The text with its CRC line made right again after a change.
std::string Resealed(std::string text) {
  text.erase(text.rfind("crc32 "));
  char crc[20];
  std::snprintf(crc, sizeof(crc), "crc32 %08x\n", static_cast<unsigned>(Crc32(text)));
  return text + crc;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

}  // namespace

TEST(BackupFormat, RoundTripsAndReadsAsAPersonWouldExpect) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  const std::string text = FormatBackup(UsersBackup());
  EXPECT_EQ(text.rfind("Padwright configuration backup\nformat 2\nsequence 42\n"
                       "time 2026-12-07T17:53:16.123Z\nfirmware 3\nmode 7\nstate pending\n"
                       "global 034346",
                       0),
            0u)
      << text;
  SavedBackup read;
  ASSERT_EQ(ParseBackup(text, &read), BackupDamage::kNone);
  EXPECT_EQ(read.sequence, 42);
  EXPECT_EQ(read.takenUtcMs, kTaken);
  EXPECT_EQ(read.global, UserGlobal(3));
  EXPECT_EQ(read.buttons, UserButtons());
  EXPECT_EQ(read.state, BackupState::kPending);

  // One block alone: no version or mode without the global block.
  SavedBackup buttonsOnly = UsersBackup();
  buttonsOnly.global.reset();
  const std::string partial = FormatBackup(buttonsOnly);
  EXPECT_NE(partial.find("firmware -\nmode -\n"), std::string::npos);
  ASSERT_EQ(ParseBackup(partial, &read), BackupDamage::kNone);
  EXPECT_FALSE(read.global.has_value());
  EXPECT_EQ(read.buttons, UserButtons());
  EXPECT_EQ(BackupFileName(kTaken), "backup-2026-12-07T17-53-16.123Z.txt");
  EXPECT_TRUE(IsBackupFileName(BackupFileName(kTaken)));
  EXPECT_FALSE(IsBackupFileName(".backup-2026-12-07T17-53-16.123Z.txt.tmp"));
}

TEST(BackupFormat, NoDamagedFileIsTakenForABackup) {
  const std::string good = FormatBackup(UsersBackup());
  const std::pair<std::string, BackupDamage> cases[] = {
      {good.substr(0, good.size() / 2), BackupDamage::kTorn},
      {good.substr(0, good.size() - 1), BackupDamage::kTorn},
      {good.substr(0, 12), BackupDamage::kTorn},
      {Replaced(good, "mode 7", "mode 8"), BackupDamage::kBadCrc},
      {Replaced(good, "global 0343", "global 0344"), BackupDamage::kBadCrc},
      {Resealed(Replaced(good, "format 2", "format 9")), BackupDamage::kLaterFormat},
      {Resealed(Replaced(good, "sequence 42\n", "")), BackupDamage::kBadField},
      {Resealed(Replaced(good, "global 034346", "global 0346")), BackupDamage::kBadBlock},
      {Resealed(Replaced(good, "global 034346", "global 03434x")), BackupDamage::kBadBlock},
      {Resealed(Replaced(good, "mode 7", "mode 9")), BackupDamage::kBadField},
      {Resealed(Replaced(good, "state pending", "state lost")), BackupDamage::kBadField},
      {"not a backup at all\n", BackupDamage::kNotABackup},
      {"", BackupDamage::kTorn},
  };
  for (const auto& [text, damage] : cases) {
    SavedBackup untouched;
    EXPECT_EQ(ParseBackup(text, &untouched), damage) << text;
    EXPECT_FALSE(untouched.global.has_value());
  }
}

TEST(BackupStore, KeepsTheNewestTwentyAndNeverOverwritesABackupOfTheSameMillisecond) {
  MemoryBackupFolder folder;
  folder.Put("notes.txt", "the user's own file");
  SavedBackup saved = UsersBackup();
  saved.state = BackupState::kSaved;
  std::string first, second;
  ASSERT_TRUE(SaveBackup(&folder, saved, &first));
  ASSERT_TRUE(SaveBackup(&folder, saved, &second));
  EXPECT_NE(first, second);
  for (int i = 1; i <= 25; ++i) {
    SavedBackup later = saved;
    later.takenUtcMs += i * 60000;
    std::string name;
    ASSERT_TRUE(SaveBackup(&folder, later, &name));
  }
  std::vector<BackupEntry> entries;
  ASSERT_TRUE(ListBackups(&folder, &entries));
  ASSERT_EQ(entries.size(), kKeptBackups);
  EXPECT_EQ(entries.front().backup.takenUtcMs, kTaken + 25 * 60000);
  EXPECT_EQ(entries.back().backup.takenUtcMs, kTaken + 6 * 60000);
  EXPECT_EQ(folder.Files().count("notes.txt"), 1u);

  // The state changes in place; a damaged file is listed as such, keeps its bytes and, by
  // the number it still names, its place.
  ASSERT_TRUE(SetBackupState(&folder, entries[0].name, BackupState::kWrittenBack));
  EXPECT_EQ(LoadBackup(&folder, entries[0].name).backup.state, BackupState::kWrittenBack);
  folder.Put(entries[1].name, "Padwright configuration backup\nformat 2\nsequence " +
                                  std::to_string(entries[1].sequence) + "\ntime");
  EXPECT_FALSE(SetBackupState(&folder, entries[1].name, BackupState::kWrittenBack));
  ASSERT_TRUE(ListBackups(&folder, &entries));
  EXPECT_EQ(entries[1].damage, BackupDamage::kTorn);
  folder.failWrites = true;
  std::string none;
  EXPECT_FALSE(SaveBackup(&folder, UsersBackup(), &none));
}
