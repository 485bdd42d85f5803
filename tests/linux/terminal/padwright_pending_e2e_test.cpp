// The padwright binary end to end with a backup that never went back: it is the user's
// configuration, so a later update or recover writes it back rather than the factory
// settings the controller now holds; decline lets it go; doctor writes a backup's size for
// real; a planted file at the largest sequence number never outranks the user's backup; and
// a run without root learns of root's from the note root keeps.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/linux/StandInLayout.h"
#include "tests/linux/terminal/support/PadwrightCommandTest.h"
#include "workflows/backups/BackupFormat.h"

namespace {

class PendingBackupCommand : public PadwrightCommand {
 protected:
  // An update whose restore fails three times: the firmware is in, the controller holds the
  // new firmware's factory settings, and the user's backup is pending.
  void LeaveBackupPending() {
    for (uint32_t attempt = 0; attempt < 3; ++attempt) {
      sim.Inject(Step::GlobalWrite, attempt, Fault::ShortReply);
    }
    std::string text;
    ASSERT_EQ(Run({"update", "firmware.vxf"}, &text), 4) << text;
    sim.ClearFaults();
    ASSERT_NE(sim.GetButtonConfig(), UserButtons());
  }
};

TEST_F(PendingBackupCommand, ALaterUpdateOrRecoverWritesThePendingBackupBackNotTheFactorySettings) {
  LeaveBackupPending();
  std::string text;
  ASSERT_EQ(Run({"update", "firmware.vxf"}, &text), 0) << text;
  InOrder(text, {"was not written back to the controller", "Backup config.....",
                 "Using the configuration saved on ", "Ready, please wait...",
                 "Recovery config ok!", "Recovery mode: 7", "Upgrade success\n"});
  ExpectRestored();
  // Newest first: what the update read (the factory settings) set aside, the user's written
  // back.
  EXPECT_EQ(Run({"backups"}, &text), 0);
  InOrder(text, {"set aside", "written back"});

  // Once more, and recover this time: Initialize reads the factory settings again.
  LeaveBackupPending();
  sim.SetHomeHeld(true);
  CommandRun recover;
  Start(recover, {"--yes", "recover", "firmware.vxf"}, Output::kPipe);
  ASSERT_TRUE(recover.WaitFor("Please release the HOME button", kRunMs)) << recover.Text();
  sim.SetHomeHeld(false);
  ASSERT_EQ(recover.Wait(kRunMs), 0) << recover.Text();
  InOrder(recover.Text(), {"Initialize ok", "Using the configuration saved on ",
                           "Recovery config ok!", "Upgrade success\n"});
  ExpectImageWritten();
  ExpectRestored();
  EXPECT_EQ(Run({"status"}, &text), 0);
  EXPECT_EQ(text, "Firmware Version: 3 Mode: 7\n");  // nothing pending is said any more
}

TEST_F(PendingBackupCommand, DeclinedTheControllerKeepsWhatItHasAndDoctorTestsTheFolderForReal) {
  LeaveBackupPending();
  const GlobalConfig global = sim.GetGlobalConfig();
  const ButtonConfig buttons = sim.GetButtonConfig();
  std::string text;
  ASSERT_EQ(Run({"decline"}, &text), 0) << text;
  InOrder(text, {"Declined the configuration saved on ",
                 "it will not be written back: ", ShownBackupFolder() + "/backup-"});
  ASSERT_EQ(Run({"update", "firmware.vxf"}, &text), 0) << text;
  EXPECT_EQ(text.find("was not written back"), std::string::npos) << text;
  EXPECT_EQ(text.find("Using the configuration"), std::string::npos) << text;
  EXPECT_EQ(sim.GetButtonConfig(), buttons);
  EXPECT_EQ(sim.GetGlobalConfig(), global);

  // A full disk: an empty file can still be made there, a backup cannot.
  if (geteuid() != 0) {
    GTEST_SKIP() << "the stand-in's full disk is root's backup folder";
  }
  ASSERT_TRUE(std::ofstream(host.Root() + standin::kStateFullFile).good());
  EXPECT_EQ(Run({"doctor"}, &text), 1) << text;
  InOrder(text, {"Backups      PROBLEM  /var/lib/padwright/backups cannot be written (",
                 "No space left on device", "An update cannot run now"});
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 2) << text;
  InOrder(text, {"Could not save the configuration backup! (", "No space left on device"});
  EXPECT_EQ(Count(text, "Could not save the configuration backup!"), 1u) << text;
}

TEST_F(PendingBackupCommand, AFileAtTheLargestNumberNeverOutranksTheUsersBackup) {
  // Planted: another configuration, sound, at the largest number a backup may carry.
  SavedBackup planted;
  planted.sequence = kLargestSequence;
  planted.takenUtcMs = 1796665996123;
  planted.global = FactoryGlobal(2);
  planted.buttons = FactoryButtons();
  planted.state = BackupState::kWrittenBack;
  const std::string name = BackupFileName(planted.takenUtcMs);
  ASSERT_TRUE(host.Start());  // the folders are the stand-in's
  std::filesystem::create_directories(BackupFolder());
  WriteBackup(name, FormatBackup(planted));
  std::string text;
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 2) << text;
  InOrder(text, {"Could not save the configuration backup! (no backup number is left"});
  EXPECT_TRUE(sim.ReceivedImage().empty());
  EXPECT_EQ(BackupNames(), std::vector<std::string>{name});
  EXPECT_EQ(Run({"doctor"}, &text), 1) << text;
  InOrder(text, {"Backups      PROBLEM  ", name + " carries the largest backup number"});

  // Its text now says pending, its checksum fails: named, never taken for the user's.
  std::string damaged = FormatBackup(planted);
  damaged.replace(damaged.find("written-back"), 12, "pending");
  WriteBackup(name, damaged);
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 150, Fault::DeviceGone);
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 1) << text;
  InOrder(text,
          {"NOTE: a damaged pending backup (checksum wrong): kept, not read; ", "Upgrade failed!"});
  sim.ClearFaults();
  EXPECT_EQ(Run({"recover", "firmware.vxf"}, &text), 0) << text;
  InOrder(text, {"Initialize ok", "Using the configuration saved on ", "Upgrade success\n"});
  ExpectImageWritten();
  ExpectRestored();
  EXPECT_EQ(Run({"backups"}, &text), 0) << text;
  InOrder(text, {"a damaged pending backup (checksum wrong): kept, not read  " +
                     ShownBackupFolder() + "/" + name,
                 "written back"});
}

TEST_F(PendingBackupCommand, ARunWithoutRootSeesRootsPendingBackupFromItsNote) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "root's backups, and another user's run, need the tests to run as root";
  }
  LeaveBackupPending();
  // The note holds the backup's time alone, for everyone to read; the backups stay root's.
  const std::string note = host.Root() + "/var/lib/padwright/pending";
  struct stat info {};
  ASSERT_EQ(stat(note.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_EQ(ReadText(note).size(), std::string("2026-12-07T17:53:16.123Z\n").size());
  ASSERT_EQ(stat(BackupFolder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // Another user, with folders of its own, who may reach the test's folders and controller.
  constexpr uid_t kOtherUser = 65534;  // nobody
  for (const std::string& open :
       {host.Root(), host.Root() + "/var", host.Root() + "/var/lib", folder}) {
    chmod(open.c_str(), 0755);  // /var and /var/lib are open on a machine
  }
  // The controller's nodes, as the udev rule gives them to the user at the seat.
  chmod((host.Root() + standin::kSocketFile).c_str(), 0666);
  const std::string home = host.Root() + "/nobody";
  mkdir(home.c_str(), 0700);
  ASSERT_EQ(chown(home.c_str(), kOtherUser, kOtherUser), 0);
  auto runAsOther = [&](std::string* output) {
    CommandRun other;
    other.RunAs(kOtherUser, kOtherUser);
    other.SetVariable("XDG_RUNTIME_DIR", home);
    other.SetVariable("XDG_STATE_HOME", home);
    Start(other, {"status"}, Output::kPipe);
    const int status = other.Wait(kRunMs);
    *output = other.Text();
    return status;
  };
  std::string text;
  EXPECT_EQ(runAsOther(&text), 0) << text;
  InOrder(text, {"The configuration saved on ",
                 " was not written back to the controller; write it back with: sudo padwright "
                 "restore\n",
                 "Firmware Version: 3 Mode: "});

  // Written back by root: the note goes, and the other user hears no more of it.
  EXPECT_EQ(Run({"restore"}, &text), 0) << text;
  EXPECT_NE(stat(note.c_str(), &info), 0);
  EXPECT_EQ(runAsOther(&text), 0) << text;
  EXPECT_EQ(text.find("was not written back"), std::string::npos) << text;
}

}  // namespace
