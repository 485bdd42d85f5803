// The shipped padwright binary end to end with an input daemon between it and the controller:
// the command node moved out of /dev/hidrawN (and something else under its name) is found by
// its device numbers and the update completes; a second process that holds the node is
// named with its systemd unit before the update and by doctor; names that such a process and
// a file chose reach the output escaped, and the recovery command quoted for the shell.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/linux/terminal/support/PadwrightCommandTest.h"

namespace {

TEST_F(PadwrightCommand, NodeMovedOutOfItsPlaceIsFoundByItsNumbersAndTheUpdateCompletes) {
  host.MoveNode(2, "/dev/input-daemon/hidraw2");
  host.MoveNode(0, "/dev/hidraw2");  // another device under the controller's name
  std::string text;
  ASSERT_EQ(Run({"--verbose", "update"}, &text), 0) << text;
  ExpectImageWritten();
  ExpectRestored();
  const std::string route =
      "/dev/input-daemon/hidraw2 (found by its device numbers 241:2; /dev/hidraw2 is not it)";
  EXPECT_EQ(Count(text, "padwright: /dev/hidraw2 opened through " + route + "\n"), 1u) << text;
  ASSERT_EQ(Run({"doctor"}, &text), 0) << text;
  InOrder(text, {"Node access  OK       ", route, "An update can run now.\n"});
}

TEST_F(PadwrightCommand, SecondProcessHoldingTheNodeIsNamedWithItsUnit) {
  ASSERT_TRUE(host.Start());
  // A daemon called hhd, run by systemd as hhd@deck.service, holds the command node open.
  const std::string daemon = folder + "/hhd";
  std::filesystem::create_symlink("/bin/sleep", daemon);
  CommandRun holder;
  ASSERT_TRUE(holder.Start("/bin/sh", {"-c", "exec 3<>/dev/hidraw2; exec " + daemon + " 60"},
                           folder, host.Root(), Output::kPipe));
  const std::string held = host.Root() + "/held";
  for (int waited = 0; waited < 5000 && std::filesystem::is_empty(held); waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(std::filesystem::is_empty(held));
  ASSERT_TRUE(host.SetProcessCgroup(holder.Pid(), "0::/system.slice/hhd@deck.service\n"));
  const std::string named = "hhd (pid " + std::to_string(holder.Pid()) +
                            ", hhd@deck.service) has the controller open; if the update fails, "
                            "stop it first: sudo systemctl stop hhd@deck.service\n";

  std::string text;
  ASSERT_EQ(Run({"doctor"}, &text), 0) << text;
  EXPECT_EQ(Count(text, "Sharing      NOTE     " + named), 1u) << text;
  ASSERT_EQ(Run({"update"}, &text), 0) << text;
  InOrder(text, {"padwright: " + named, "Backup config.....\n", "Upgrade success\n"});
  ExpectRestored();
}

TEST_F(PadwrightCommand, NamesOthersChoseArePrintedEscapedAndTheCommandsQuoted) {
  ASSERT_TRUE(host.Start());
  // A holder that calls itself and its unit with escape sequences, and a firmware file name
  // that is no single word for the shell; padwright started as in the unpacked release.
  const std::string daemon = folder + "/evil\x1b[2Jx";
  std::filesystem::create_symlink("/bin/sleep", daemon);
  CommandRun holder;
  ASSERT_TRUE(holder.Start("/bin/sh", {"-c", "exec 3<>/dev/hidraw2; exec \"$0\" 60", daemon},
                           folder, host.Root(), Output::kPipe));
  const std::string held = host.Root() + "/held";
  for (int waited = 0; waited < 5000 && std::filesystem::is_empty(held); waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(std::filesystem::is_empty(held));
  ASSERT_TRUE(host.SetProcessCgroup(holder.Pid(), "0::/system.slice/evil\x1b]0;x\x07.service\n"));
  std::filesystem::rename(folder + "/firmware.vxf", folder + "/My Firmware (1).vxf");
  sim.Inject(Step::DataPacket, 150, Fault::DeviceGone);

  CommandRun update;
  update.SetProgramName("./padwright");
  Start(update, {"update", "My Firmware (1).vxf"}, Output::kPipe);
  EXPECT_EQ(update.Wait(kRunMs), 1);
  const std::string& text = update.Text();
  InOrder(text, {"padwright: evil\\x1b[2Jx (pid " + std::to_string(holder.Pid()) +
                     ", evil\\x1b]0;x\\x07.service) has the controller open; if the update "
                     "fails, stop it first\n",
                 "Upgrade failed!",
                 std::string(geteuid() == 0 ? "Run: sudo " : "Run: ") +
                     "./padwright recover 'My Firmware (1).vxf'\n"});
  EXPECT_EQ(text.find_first_of("\x1b\x07"), std::string::npos) << text;
}

}  // namespace
