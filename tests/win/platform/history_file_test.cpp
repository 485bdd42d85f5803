// The history of runs in the Windows backup folder: a file far larger than a backup, which
// Read refuses (no backup is that large) and ReadUpTo reads whole; the history appended
// through it keeps the newest 500 records; a file another program reads a moment is still
// replaced.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "platform/win/WinBackupFolder.h"
#include "platform/win/WindowsClock.h"
#include "tests/win/support/HeldFile.h"
#include "workflows/RunHistory.h"
#include "workflows/RunRecordJson.h"

TEST(WinHistoryFile, AHistoryLargerThanABackupIsReadWholeAndCapped) {
  CreateDirectoryW(L"C:\\padwright-history-test", nullptr);  // as ProgramData is there
  WindowsClock clock;
  CWinBackupFolder folder(L"C:\\padwright-history-test\\Padwright\\backups", clock);
  ASSERT_TRUE(folder.Secure());
  RunRecord record;
  record.frontEnd = std::string(400, 'w');  // long lines: 500 of them are far over 64 KiB
  std::string text;
  for (int i = 0; i < 499; ++i) {
    record.totalMs = static_cast<uint32_t>(i);
    text += RunRecordLine(record) + "\n";
  }
  ASSERT_TRUE(folder.Write(kHistoryFileName, text)) << testing::PrintToString(folder.FailureText());
  std::string read;
  EXPECT_FALSE(folder.Read(kHistoryFileName, &read));
  ASSERT_TRUE(folder.ReadUpTo(kHistoryFileName, &read, kLargestHistoryBytes));
  EXPECT_EQ(read, text);

  record.totalMs = 1000;
  EXPECT_TRUE(AppendRunRecord(&folder, record));
  EXPECT_TRUE(AppendRunRecord(&folder, record));
  KeptRuns history;
  EXPECT_TRUE(ReadRunHistory(&folder, &history));
  EXPECT_EQ(history.records.size(), kKeptRuns);
  EXPECT_EQ(history.damaged, 0u);
  EXPECT_EQ(history.records.front().totalMs, 1u);
  EXPECT_EQ(history.records.back().totalMs, 1000u);
  folder.Remove(kHistoryFileName);
}

TEST(WinBackupFolderWrite, AFileThatAnotherProgramReadsAMomentIsStillReplaced) {
  // A scanner, or the window's own refresh, has the file open for a moment when it is
  // replaced: the replace waits for it rather than fail (and, say, offer a declined backup
  // again).
  CreateDirectoryW(L"C:\\padwright-sharing-test", nullptr);
  WindowsClock clock;
  CWinBackupFolder folder(L"C:\\padwright-sharing-test\\Padwright\\backups", clock);
  ASSERT_TRUE(folder.Write("backup.txt", "first"));
  auto reader =
      std::make_unique<HeldFile>(folder.Path() + L"\\backup.txt", GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(reader->IsOpen());
  std::thread done([&reader] {
    Sleep(300);
    reader.reset();
  });
  EXPECT_TRUE(folder.Write("backup.txt", "second")) << testing::PrintToString(folder.FailureText());
  done.join();
  std::string text;
  EXPECT_TRUE(folder.Read("backup.txt", &text));
  EXPECT_EQ(text, "second");
  folder.Remove("backup.txt");
}
