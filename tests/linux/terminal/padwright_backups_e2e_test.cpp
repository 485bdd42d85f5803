// The padwright binary end to end with its saved backups: a restore that fails and the
// backup that writes it later, a cut update recovered by a later run, damaged backups passed
// over, restore and backups.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/linux/terminal/support/PadwrightCommandTest.h"

namespace {

TEST_F(PadwrightCommand, RestoreThatFailsIsSaidPlainlyAndTheBackupWritesItLater) {
  for (uint32_t attempt = 0; attempt < 3; ++attempt) {
    sim.Inject(Step::GlobalWrite, attempt, Fault::ShortReply);
  }
  std::string text;
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 4);
  InOrder(text, {"Recovery global failed\n", "Upgrade success\n",
                 "The saved configuration could not be restored.\n", "padwright restore"});
  ExpectImageWritten();
  // The folders it made are the user's own; root's holds beside its backups the note of the
  // pending one that every user may read.
  for (const std::string& made : {BackupFolder(), BackupFolder() + "/.."}) {
    struct stat info {};
    ASSERT_EQ(stat(made.c_str(), &info), 0) << made;
    const bool note = geteuid() == 0 && made != BackupFolder();
    EXPECT_EQ(info.st_mode & 0777, note ? 0755u : 0700u) << made;
  }

  // Any later run says so; restore writes it back, and then nothing is said any more.
  EXPECT_EQ(Run({"status"}, &text), 0);
  InOrder(text, {"was not written back to the controller", "padwright restore\n",
                 "Firmware Version: 3 Mode: "});
  EXPECT_EQ(Run({"backups"}, &text), 0);
  InOrder(text,
          {"firmware 2   mode 7   global+buttons  PENDING", ShownBackupFolder() + "/backup-"});
  // restore on a terminal: when it fails again it is written once more by itself, no key
  // typed (the handheld's controller may be the only input).
  for (uint32_t attempt = 0; attempt < 3; ++attempt) {
    sim.Inject(Step::GlobalWrite, attempt, Fault::ShortReply);
  }
  CommandRun restore;
  Start(restore, {"restore"}, Output::kTerminal);
  ASSERT_TRUE(restore.WaitFor("Write the saved configuration again? [Y/n]", kRunMs))
      << restore.Text();
  sim.ClearFaults();
  ASSERT_EQ(restore.Wait(kRunMs), 0) << restore.Text();
  InOrder(restore.Text(),
          {"Using the configuration saved on ", "Recovery global failed", "Writing it again",
           "Recovery global ok", "Recovery mode ok", "Configuration restored"});
  ExpectRestored();
  EXPECT_EQ(Run({"status"}, &text), 0);
  EXPECT_EQ(text, "Firmware Version: 3 Mode: 7\n");
}

TEST_F(PadwrightCommand, ACutUpdateIsRecoveredByALaterRecoverFromTheSavedBackup) {
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 150, Fault::DeviceGone);
  CommandRun declined;
  Start(declined, {"update", "firmware.vxf"}, Output::kTerminal);
  ASSERT_TRUE(declined.WaitFor("Starting the recovery in", kRunMs)) << declined.Text();
  declined.Type("n");  // one key, no Enter
  EXPECT_EQ(declined.Wait(kRunMs), 1);
  InOrder(declined.Text(), {"Upgrade failed!", "Later, run: " + Hint("recover firmware.vxf")});
  std::string text;
  sim.ClearFaults();
  ASSERT_EQ(sim.GetButtonConfig(), ButtonConfig{});
  // Two newer files that a power cut tore or the disk damaged are passed over.
  std::vector<std::string> names = BackupNames();
  ASSERT_EQ(names.size(), 1u);
  const std::string good = ReadBackup(names[0]);
  WriteBackup("backup-2099-01-01T00-00-00.000Z.txt", good.substr(0, good.size() / 2));
  std::string damaged = good;
  damaged[damaged.find("mode 7")] = 'M';
  WriteBackup("backup-2099-01-02T00-00-00.000Z.txt", damaged);

  EXPECT_EQ(Run({"recover", "firmware.vxf"}, &text), 0) << text;
  InOrder(text, {"Initialize ok", "Skipped a damaged saved backup (checksum wrong)",
                 "Skipped a damaged saved backup (torn)", "Using the configuration saved on ",
                 "Ready, please wait...", "Recovery config ok!", "Upgrade success\n"});
  ExpectImageWritten();
  ExpectRestored();
  EXPECT_EQ(Run({"backups"}, &text), 0);
  // Copies of the pending backup, so each says pending: named as such, and kept.
  InOrder(text, {"a damaged pending backup (checksum wrong): kept, not read",
                 "a damaged pending backup (torn): kept, not read", "written back", names[0]});
  // A named file that is no backup is refused before the controller is touched.
  EXPECT_EQ(Run({"restore", "backup-2099-01-01T00-00-00.000Z.txt"}, &text), 2);
  EXPECT_NE(text.find("torn"), std::string::npos) << text;
  EXPECT_EQ(sim.ModesSet().size(), 1u);
}

}  // namespace
