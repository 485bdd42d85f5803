// The rules of the saved backups over a real folder of crafted files: a file that does not
// read as sound (damaged, of a later format, a link, not a file, too large) gives no
// sequence number, is never pruned nor counted among the kept, and is named with the reason
// from the call that failed; a sound backup at the largest number stops new ones; a leftover
// temporary file that is a link is never written through.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/PosixBackupFolder.h"
#include "tests/support/UserController.h"
#include "workflows/backups/BackupStore.h"
#include "workflows/backups/KeptUnreadText.h"
#include "workflows/backups/PendingBackups.h"

namespace {

constexpr int64_t kTaken = 1796665996123;  // 2026-12-07T17:53:16.123Z
constexpr int64_t kMinute = 60000;

SavedBackup Backup(int64_t sequence, int64_t utcMs, BackupState state) {
  SavedBackup backup;
  backup.sequence = sequence;
  backup.takenUtcMs = utcMs;
  backup.global = UserGlobal(3);
  backup.buttons = UserButtons();
  backup.state = state;
  return backup;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

class CraftedFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/padwright-backups-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    path = name;
    folder = PosixBackupFolder(path);
  }
  void TearDown() override { std::filesystem::remove_all(path); }
  void Put(const std::string& name, const std::string& text) {
    std::ofstream(path + "/" + name, std::ios::binary) << text;
  }
  // What each file not read is listed as, by name.
  std::map<std::string, std::wstring> Unread() {
    std::vector<BackupEntry> entries;
    EXPECT_TRUE(ListBackups(&folder, &entries));
    std::map<std::string, std::wstring> unread;
    for (const BackupEntry& entry : entries) {
      if (!entry.Sound()) {
        unread[entry.name] = KeptUnreadText(entry);
      }
    }
    return unread;
  }

  std::string path;
  PosixBackupFolder folder{""};
};

TEST_F(CraftedFolder, FilesNotReadDecideNothingAreKeptAndNamedWithTheirReason) {
  const std::string sound = FormatBackup(Backup(5, kTaken, BackupState::kWrittenBack));
  Put(BackupFileName(kTaken), sound);
  // Each names the largest number, and "pending".
  const std::string atLimit =
      Replaced(FormatBackup(Backup(kLargestSequence, kTaken + kMinute, BackupState::kPending)),
               "format 2", "format 3");
  const std::string later = BackupFileName(kTaken + kMinute);
  Put(later, atLimit);
  const std::string damagedPending = BackupFileName(kTaken + 2 * kMinute);
  Put(damagedPending,
      Replaced(FormatBackup(Backup(kLargestSequence, kTaken + 2 * kMinute, BackupState::kPending)),
               "mode 7", "mode 8"));
  const std::string link = BackupFileName(kTaken + 3 * kMinute);
  ASSERT_EQ(symlink((path + "/" + BackupFileName(kTaken)).c_str(), (path + "/" + link).c_str()), 0);
  const std::string fifo = BackupFileName(kTaken + 4 * kMinute);
  ASSERT_EQ(mkfifo((path + "/" + fifo).c_str(), 0600), 0);
  const std::string large = BackupFileName(kTaken + 5 * kMinute);
  Put(large, std::string(100000, 'x'));

  const std::map<std::string, std::wstring> expected = {
      {later, L"written by a newer version of Padwright (format 3): kept, not read"},
      {damagedPending, L"a damaged pending backup (checksum wrong): kept, not read"},
      {link, L"unreadable (a symbolic link: not followed): kept, not read"},
      {fifo, L"unreadable (not a regular file): kept, not read"},
      {large, L"unreadable (larger than any backup (100000 bytes)): kept, not read"},
  };
  EXPECT_EQ(Unread(), expected);
  const std::vector<BackupEntry> damaged = DamagedPendingBackups(&folder);
  ASSERT_EQ(damaged.size(), 1u);
  EXPECT_EQ(damaged[0].name, damagedPending);

  // The next numbers follow the sound backup alone; pruning keeps 20 sound ones and every
  // file not read.
  for (int i = 1; i <= 25; ++i) {
    std::string name;
    ASSERT_TRUE(
        SaveBackup(&folder, Backup(0, kTaken + (10 + i) * kMinute, BackupState::kSaved), &name));
    EXPECT_EQ(LoadBackup(&folder, name).backup.sequence, 5 + i);
  }
  std::vector<BackupEntry> entries;
  ASSERT_TRUE(ListBackups(&folder, &entries));
  size_t soundKept = 0;
  for (const BackupEntry& entry : entries) {
    soundKept += entry.Sound() ? 1 : 0;
  }
  EXPECT_EQ(soundKept, kKeptBackups);
  EXPECT_EQ(Unread(), expected);
  EXPECT_EQ(entries.size(), kKeptBackups + expected.size());

  // A leftover temporary file that is a link to a file elsewhere: removed, not written through.
  const std::string victim = path + "/victim";
  Put("victim", "untouched");
  const std::string next = BackupFileName(kTaken + 40 * kMinute);
  ASSERT_EQ(symlink(victim.c_str(), (path + "/." + next + ".tmp").c_str()), 0);
  std::string name;
  ASSERT_TRUE(SaveBackup(&folder, Backup(0, kTaken + 40 * kMinute, BackupState::kSaved), &name));
  EXPECT_EQ(name, next);
  std::ifstream in(victim);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "untouched");

  // A sound backup at the largest number: no new one is written.
  Put(BackupFileName(kTaken + 50 * kMinute),
      FormatBackup(Backup(kLargestSequence, kTaken + 50 * kMinute, BackupState::kWrittenBack)));
  ASSERT_TRUE(ListBackups(&folder, &entries));
  const size_t before = entries.size();
  bool noNumberLeft = false;
  EXPECT_FALSE(SaveBackup(&folder, Backup(0, kTaken + 60 * kMinute, BackupState::kSaved), &name,
                          nullptr, &noNumberLeft));
  EXPECT_TRUE(noNumberLeft);
  ASSERT_TRUE(ListBackups(&folder, &entries));
  EXPECT_EQ(entries.size(), before);
}

}  // namespace
