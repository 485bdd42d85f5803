// The history of runs in the Windows backup folder: a file far larger than a backup, which
// Read refuses (no backup is that large) and ReadUpTo reads whole; the history appended
// through it keeps the newest 500 records.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win/WinBackupFolder.h"
#include "platform/win/WindowsClock.h"
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
