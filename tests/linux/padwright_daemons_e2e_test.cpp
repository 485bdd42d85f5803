// The shipped padwright binary end to end with an input daemon between it and the controller:
// the command node moved out of /dev/hidrawN (and something else under its name) is found by
// its device numbers and the update completes; a second process that holds the node is
// named with its systemd unit before the update and by doctor.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/linux/support/PadwrightCommandTest.h"

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

}  // namespace
