// The shipped padwright binary, unchanged, end to end against the controller simulator
// behind the stand-in for hidraw, sysfs and /dev/mem: update and recover as a user runs
// them, on a terminal and to a pipe, with what the command says after a failure and the
// recovery that starts by itself, and what status and doctor say of a controller waiting in
// its boot loader. No root needed.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tests/linux/terminal/support/PadwrightCommandTest.h"

namespace {

TEST_F(PadwrightCommand, UpdateToAPipeWritesTheImageAndRestoresTheConfiguration) {
  std::string text;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Run({"update"}, &text), 0) << text;  // the single *.vxf of the folder
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  ExpectImageWritten();
  ExpectRestored();
  InOrder(text, {"Backup config.....\n", "Ready, please wait...\n",
                 "Upgrading, progress: ", "/17417 100% elapsed time: ", "Power off.....\n",
                 "Power on.....\n", "Recovery global ok\n", "Recovery config ok!\n",
                 "Get current version...\n", "Save config...\n", "Recovery mode: 7\n",
                 "Recovery mode ok\n", "Upgrade success\n", "Firmware Version: 3 Mode: 7\n"});
  EXPECT_EQ(text.find('\r'), std::string::npos);  // plain lines, nothing redrawn
  // At most one progress line a second, and the final one.
  EXPECT_LE(Count(text, "Upgrading, progress: "), static_cast<size_t>(seconds.count()) + 2);
  EXPECT_EQ(host.PowerByte() & 0xFE, 0xA4);  // the other bits of the byte left alone
}

TEST_F(PadwrightCommand, CutOffTransferThenRecoveryStartsByItselfAndRestoresTheUpdatesCopy) {
  sim.Inject(Step::DataPacket, 150, Fault::DeviceGone);
  CommandRun run;
  Start(run, {"update", "firmware.vxf"}, Output::kTerminal);
  // No key is typed: a handheld's controller, its usual input, is the device that failed.
  ASSERT_TRUE(run.WaitFor("Starting the recovery in 10 s", kRunMs)) << run.Text();
  sim.ClearFaults();  // the fault would hit the same packet of the next transfer again
  InOrder(run.Text(), {"\r\033[2K[", "Upgrading, progress: ", "Upgrade failed!",
                       "The controller did not take the firmware",
                       "configuration saved before the update is restored"});
  ASSERT_TRUE(run.WaitFor("Hold the controller's HOME button down now.", kRunMs)) << run.Text();
  sim.SetHomeHeld(true);
  ASSERT_TRUE(run.WaitFor("Please release the HOME button", kRunMs)) << run.Text();
  sim.SetHomeHeld(false);
  ASSERT_EQ(run.Wait(kRunMs), 0) << run.Text();
  InOrder(run.Text(),
          {"Starting in 5 s; keep HOME held", "Backup button config failed!", "Power on.....",
           "Initialize ok\xEF\xBC\x8CYou can force an upgrade now\xEF\xBC\x81",
           "Ready, please wait...", "Recovery config ok!", "Upgrade success"});
  ExpectImageWritten();
  ExpectRestored();  // what the failed update backed up, not the factory blocks
}

TEST_F(PadwrightCommand, FileNamesAreTheBytesTheUserGave) {
  // A UTF-8 name, and one in Latin-1 as an old archive may unpack it: neither is converted.
  for (const std::string name : {"firmw\xC3\xA4re.vxf", "firmw\xE4re.vxf"}) {
    sim.ClearTranscript();
    std::rename((folder + "/firmware.vxf").c_str(), (folder + "/" + name).c_str());
    std::string text;
    ASSERT_EQ(Run({"update", name}, &text), 0) << text;
    ExpectImageWritten();
    std::rename((folder + "/" + name).c_str(), (folder + "/firmware.vxf").c_str());
  }
  // The single *.vxf of the folder, found by itself, is taken by the same bytes.
  std::rename((folder + "/firmware.vxf").c_str(), (folder + "/\xE9.vxf").c_str());
  sim.ClearTranscript();
  std::string text;
  EXPECT_EQ(Run({"update"}, &text), 0) << text;
  ExpectImageWritten();
}

TEST_F(PadwrightCommand, FailedUpdateWithoutATerminalNamesTheRecoveryCommand) {
  sim.Inject(Step::DataPacket, 150, Fault::DeviceGone);
  std::string text;
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 1);
  InOrder(text, {"Upgrade failed!\n", "The controller did not take the firmware",
                 "Run: " + Hint("recover firmware.vxf\n")});
  EXPECT_EQ(text.find("Starting"), std::string::npos) << text;  // nothing asked
}

TEST_F(PadwrightCommand, NoControllerOrOnlyItsBootLoaderIsSaidAsItIs) {
  // Nothing at all: nothing was sent, and there is nothing to recover. (The host is started
  // first: it follows the power byte from the state it finds.)
  ASSERT_TRUE(host.Start());
  sim.SetPower(false);
  std::string text;
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 1);
  EXPECT_NE(text.find("No controller found; nothing was changed.\n"), std::string::npos) << text;
  for (const char* recovery : {"recover", "HOME", "did not take", "restored"}) {
    EXPECT_EQ(text.find(recovery), std::string::npos) << recovery << " in: " << text;
  }
  EXPECT_TRUE(sim.Transcript().empty());

  // Only the boot loader: said so, and the recovery is the forced upgrade alone.
  sim.SetHomeHeld(true);
  sim.SetPower(true);
  for (int waited = 0; waited < kRunMs && sim.State() != SimState::BootLoader; waited += 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  sim.SetHomeHeld(false);
  // status and doctor say it as the window does, with nothing pending to write back.
  EXPECT_EQ(Run({"status"}, &text), 1);
  EXPECT_EQ(text,
            "Firmware Version: Error\nThe controller waits in its boot loader: sudo padwright "
            "recover FILE writes the firmware again.\n");
  EXPECT_EQ(Run({"doctor"}, &text), 1);
  InOrder(text, {"Controller   PROBLEM  it waits in its boot loader (/dev/hidraw",
                 "0483:5750): sudo padwright recover FILE writes the firmware again\n"});
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 1);
  InOrder(text, {"The controller is waiting in its boot loader; nothing was changed.",
                 "Run: " + Hint("recover firmware.vxf\n")});
  EXPECT_EQ(text.find("HOME button down"), std::string::npos) << text;
  // --yes: the recovery goes ahead without a terminal, with no Initialize and no HOME.
  EXPECT_EQ(Run({"--yes", "update", "firmware.vxf"}, &text), 0) << text;
  InOrder(text, {"waiting in its boot loader", "Ready, please wait...", "Power off.....",
                 "Upgrade success\n", "Firmware Version: 3 Mode: "});
  EXPECT_EQ(Count(text, "Power off....."), 1u) << text;
  EXPECT_EQ(text.find("HOME button down"), std::string::npos) << text;
  ExpectImageWritten();
}

TEST_F(PadwrightCommand, CommandNodeThatComesLateAfterThePowerCycleIsWaitedFor) {
  // A composite controller: after the power cycle its gamepad node is there 4 s before the
  // command node. The restore waits for the command node instead of failing on the other.
  host.SetCommandNodeLate(4000, false);
  std::string text;
  ASSERT_EQ(Run({"update", "firmware.vxf"}, &text), 0) << text;
  InOrder(text, {"Power on.....\n", "Recovery global ok\n", "Recovery config ok!\n",
                 "Upgrade success\n", "Firmware Version: 3 Mode: 7\n"});
  ExpectImageWritten();
  ExpectRestored();
}

TEST_F(PadwrightCommand, RecoverOnAControllerAlreadyInItsBootLoaderGoesStraightToTheFirmware) {
  // An update cut off half-way without a terminal (nothing started), and the controller
  // switched on again: its firmware is gone, the boot loader alone answers, and the
  // configuration the update saved is pending.
  sim.SetTransferErases(true);
  sim.Inject(Step::DataPacket, 150, Fault::DeviceGone);
  std::string text;
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 1) << text;
  sim.ClearFaults();
  sim.SetPower(false);
  sim.SetPower(true);
  for (int waited = 0; waited < kRunMs && sim.State() != SimState::BootLoader; waited += 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // status and doctor name the way back and the configuration it writes back.
  const std::string waits =
      Hint("recover FILE") + " writes the firmware again, then the configuration saved on ";
  EXPECT_EQ(Run({"status"}, &text), 1);
  InOrder(text, {"Firmware Version: Error\n", "The controller waits in its boot loader: " + waits});
  EXPECT_EQ(Run({"doctor"}, &text), 1);
  InOrder(text, {"Controller   PROBLEM  it waits in its boot loader (", "0483:5750): " + waits});

  ASSERT_EQ(Run({"recover", "firmware.vxf"}, &text), 0) << text;
  InOrder(text, {"waiting in its boot loader", "Using the configuration saved on ",
                 "Ready, please wait...", "Recovery config ok!", "Upgrade success\n",
                 "Firmware Version: 3 Mode: "});
  EXPECT_EQ(text.find("HOME button down"), std::string::npos) << text;
  EXPECT_EQ(text.find("Initialize ok"), std::string::npos) << text;
  ExpectImageWritten();
  ExpectRestored();
  EXPECT_EQ(sim.State(), SimState::Normal);
}

}  // namespace
