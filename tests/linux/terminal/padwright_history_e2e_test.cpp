// The padwright binary end to end with its history of runs: a successful update, one that
// failed reading the backup and one whose transfer was cut off each leave their record;
// history lists them newest first, with a name that carries a terminal's escape shown
// escaped and a damaged line skipped and counted; history --json gives them as kept.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/linux/terminal/support/PadwrightCommandTest.h"

namespace {

TEST_F(PadwrightCommand, EveryUpdateLeavesItsRecordInTheHistory) {
  // A history nearly full already, far larger than a backup: 498 runs of an earlier year.
  // (The host first: the folder lies inside its root.)
  ASSERT_TRUE(host.Start());
  ASSERT_FALSE(host.Root().empty());
  std::filesystem::create_directories(BackupFolder());
  {
    std::ofstream history(BackupFolder() + "/history.jsonl");
    for (int i = 0; i < 498; ++i) {
      history << "{\"time\":\"2001-01-01T00:00:00.000Z\",\"front_end\":\"terminal\","
                 "\"padwright\":\"0.9\",\"kind\":\"decline\",\"before\":null,\"after\":null,"
                 "\"image\":null,\"battery\":null,\"written_back\":[],\"outcome\":\"success\","
                 "\"failed_at\":null,\"total_ms\":"
              << i << ",\"phases_ms\":{}," << std::string(300, ' ') << "\"x\":0}\n";
    }
  }
  std::string text;
  ASSERT_EQ(Run({"update", "firmware.vxf"}, &text), 0) << text;
  sim.Inject(Step::GlobalRead, 0, Fault::ShortReply);
  ASSERT_EQ(Run({"update", "firmware.vxf"}, &text), 1) << text;
  sim.ClearFaults();
  sim.Inject(Step::DataPacket, 150, Fault::DeviceGone);
  ASSERT_EQ(Run({"update", "firmware.vxf"}, &text), 1) << text;

  // The newest 500 kept: the oldest planted run went.
  EXPECT_EQ(Run({"history", "--json"}, &text), 0);
  EXPECT_EQ(Count(text, "\n"), 500u);
  EXPECT_EQ(Count(text, "\"kind\":\"decline\""), 497u);
  EXPECT_EQ(text.find("\"total_ms\":0,"), std::string::npos);
  InOrder(text, {"\"total_ms\":1,", "\"outcome\":\"success\",\"failed_at\":null",
                 "\"outcome\":\"failed\",\"failed_at\":\"backup_read\"",
                 "\"outcome\":\"failed\",\"failed_at\":\"transfer\""});
  EXPECT_EQ(Count(text, "\"name\":\"firmware.vxf\",\"size\":" + std::to_string(kImageSize)), 3u);
  EXPECT_EQ(Count(text, "\"power_cycle\":"), 1u);  // only the success got that far

  // Someone else's lines: a record whose image name would colour the terminal, and a torn one.
  {
    std::ofstream history(BackupFolder() + "/history.jsonl", std::ios::app);
    history << "{\"time\":\"2099-01-01T00:00:00.000Z\",\"front_end\":\"x\",\"padwright\":\"1\","
               "\"kind\":\"restore\",\"image\":{\"name\":\"\\u001b[31mred.vxf\",\"size\":1,"
               "\"sha256\":\"00\"},\"written_back\":[],\"outcome\":\"success\",\"total_ms\":5,"
               "\"phases_ms\":{}}\n"
            << "{\"time\":\"2099-01-01T00:00:00.000Z\",\"front_end\n";
  }
  EXPECT_EQ(Run({"history"}, &text), 0) << text;
  InOrder(text, {"Time", "Run", "Outcome", "Total", "Firmware/mode", "restore        success",
                 "image \\x1b[31mred.vxf", "update         failed in the transfer",
                 "update         failed in the backup read", "update         success",
                 "backup read ", "transfer ", "power cycle 3", "version and mode 1"});
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
  EXPECT_NE(text.find("1 damaged line(s)"), std::string::npos) << text;
}

}  // namespace
