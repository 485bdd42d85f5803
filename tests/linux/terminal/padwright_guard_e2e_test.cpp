// The padwright binary end to end where it must refuse or hold on: the power switch, a low
// battery, bad files, signals during a flash, logind's inhibitors, a second instance and
// other users' locks, doctor, and the version line.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "padwright/Version.h"
#include "sim/linux/StandInLayout.h"
#include "tests/linux/terminal/support/PadwrightCommandTest.h"

namespace {

// The inhibitor locks of the fake libsystemd (see tests/linux/fakes) that process `pid`
// holds now, by what they hold off, sorted.
std::vector<std::string> HeldInhibitors(pid_t pid, const std::string& logPath) {
  const std::string prefix = logPath + "-held-";
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  std::vector<std::string> held;
  if (DIR* dir = opendir(fds.c_str())) {
    while (dirent* entry = readdir(dir)) {
      char target[4096];
      const ssize_t n = readlink((fds + "/" + entry->d_name).c_str(), target, sizeof(target) - 1);
      const std::string path(target, n > 0 ? static_cast<size_t>(n) : 0);
      if (path.rfind(prefix, 0) == 0) {
        held.push_back(path.substr(prefix.size()));
      }
    }
    closedir(dir);
  }
  std::sort(held.begin(), held.end());
  return held;
}

TEST_F(PadwrightCommand, RefusesWithoutThePowerSwitchAndTouchesNothing) {
  // A kernel refuses root and other users differently; the tests may run as either.
  const bool root = geteuid() == 0;
  const std::pair<StandInHost::MemoryAccess, std::string> cases[] = {
      {StandInHost::MemoryAccess::kNotRoot, root ? "even as root" : "needs root"},
      {StandInHost::MemoryAccess::kLockedDown, root ? "locked down" : "needs root"},
      {StandInHost::MemoryAccess::kStrictDevMem, "CONFIG_STRICT_DEVMEM"},
      {StandInHost::MemoryAccess::kMissing, "CONFIG_DEVMEM"},
  };
  ASSERT_TRUE(host.Start());
  for (const auto& [access, cause] : cases) {
    host.SetMemoryAccess(access);
    for (const char* command : {"update", "recover"}) {
      std::string text;
      EXPECT_EQ(Run({command, "firmware.vxf"}, &text), 2) << text;
      EXPECT_NE(text.find("Power switch unavailable"), std::string::npos) << text;
      EXPECT_NE(text.find(cause), std::string::npos) << text;
    }
  }
  EXPECT_EQ(host.OpenCount(), 0u);
  EXPECT_TRUE(sim.Transcript().empty());
  // Reading the version needs no power switch: a user with the udev rule can run it.
  std::string text;
  EXPECT_EQ(Run({"status"}, &text), 0);
  EXPECT_EQ(text, "Firmware Version: 2 Mode: 7\n");
}

TEST_F(PadwrightCommand, LowBatteryIsRefusedUnlessItsReadingIsIgnored) {
  ASSERT_TRUE(host.Start());
  // The machine's power as the kernel lists it: the charger unplugged, the battery at 14%.
  const std::string supplies = host.Root() + "/sys/class/power_supply";
  const std::pair<std::string, std::string> attributes[] = {{"AC/type", "Mains"},
                                                            {"AC/online", "0"},
                                                            {"BAT0/type", "Battery"},
                                                            {"BAT0/present", "1"},
                                                            {"BAT0/status", "Discharging"},
                                                            {"BAT0/charge_now", "1400000"},
                                                            {"BAT0/charge_full", "10000000"}};
  for (const auto& [file, value] : attributes) {
    std::filesystem::create_directories(std::filesystem::path(supplies + "/" + file).parent_path());
    std::ofstream(supplies + "/" + file) << value << "\n";
  }
  for (const char* command : {"update", "recover"}) {
    std::string text;
    EXPECT_EQ(Run({command, "firmware.vxf"}, &text), 2) << text;
    EXPECT_NE(text.find("Battery low, connect the charger! (battery at 14%, not charging)\n"),
              std::string::npos)
        << text;
  }
  EXPECT_EQ(host.OpenCount(), 0u);
  EXPECT_TRUE(sim.Transcript().empty());
  // For a battery whose reading is wrong.
  std::string text;
  ASSERT_EQ(Run({"--ignore-battery", "update", "firmware.vxf"}, &text), 0) << text;
  ExpectImageWritten();
}

TEST_F(PadwrightCommand, BadFilesNeverReachTheController) {
  WriteFile("empty.bin", {});
  mkdir((folder + "/folder.vxf").c_str(), 0755);
  mkfifo((folder + "/pipe.vxf").c_str(), 0644);
  {
    int fd = open((folder + "/huge.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(ftruncate(fd, 0x100000000LL), 0);  // 4 GiB, sparse
    close(fd);
  }
  const std::pair<std::string, std::string> cases[] = {
      {"missing.vxf", "Invalid file path"},       {"folder.vxf", "Invalid file path"},
      {"pipe.vxf", "Invalid file path"},          {"empty.bin", "Read firmware file failed!"},
      {"huge.bin", "Read firmware file failed!"},
  };
  for (const auto& [file, message] : cases) {
    std::string text;
    EXPECT_EQ(Run({"update", file}, &text), 2) << file;
    EXPECT_NE(text.find(message), std::string::npos) << file << ": " << text;
  }
  if (geteuid() != 0) {  // root reads whatever the mode says
    WriteFile("locked.vxf", image);
    chmod((folder + "/locked.vxf").c_str(), 0);
    std::string text;
    EXPECT_EQ(Run({"update", "locked.vxf"}, &text), 2);
    EXPECT_NE(text.find("Read firmware file failed!"), std::string::npos) << text;
  }
  // Without FILE: several *.vxf are listed, none is taken.
  WriteFile("second.VXF", image);
  std::string text;
  EXPECT_EQ(Run({"update"}, &text), 2);
  InOrder(text, {"several *.vxf", "firmware.vxf", "second.VXF"});
  EXPECT_EQ(Run({"update", "--bogus"}, &text), 2);
  EXPECT_EQ(host.OpenCount(), 0u);
  EXPECT_TRUE(sim.Transcript().empty());
}

TEST_F(PadwrightCommand, CtrlCDuringTheTransferIsPutOffUntilTheConfigurationIsBack) {
  sim.SetReplyLatencyMs(4);  // a transfer of over a second
  CommandRun run;
  Start(run, {"update", "firmware.vxf"}, Output::kPipe);
  // Well into the transfer: the controller is in its boot loader.
  for (int waited = 0; waited < kRunMs && sim.DataPacketsReceived() < 20; waited += 5) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_GE(sim.DataPacketsReceived(), 20u) << run.Text();
  run.Signal(SIGINT);
  run.Signal(SIGTERM);
  ASSERT_EQ(run.Wait(kRunMs), 0) << run.Text();
  EXPECT_EQ(Count(run.Text(), "padwright: not stopping now"), 1u) << run.Text();
  InOrder(run.Text(), {"not stopping now", "Recovery mode ok", "Upgrade success"});
  ExpectImageWritten();
  ExpectRestored();
}

TEST_F(PadwrightCommand, LogindHoldsOffSleepForTheSequenceAndShutdownForTheFlash) {
  sim.SetReplyLatencyMs(4);  // a transfer of over a second
  // The version line read after the sequence comes late: a moment with the sequence over.
  sim.Inject(Step::GlobalRead, 2, Fault::LateReply, 1500);
  const std::string log = folder + "/logind.log";
  CommandRun run;
  run.SetVariable("LD_LIBRARY_PATH", PADWRIGHT_FAKE_LIBSYSTEMD_DIR);
  run.SetVariable("PADWRIGHT_FAKE_LOGIND", log);
  Start(run, {"update", "firmware.vxf"}, Output::kPipe);
  for (int waited = 0; waited < kRunMs && sim.DataPacketsReceived() < 20; waited += 5) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(HeldInhibitors(run.Pid(), log), (std::vector<std::string>{"shutdown", "sleep:idle"}));
  ASSERT_TRUE(run.WaitFor("Upgrade success\n", kRunMs)) << run.Text();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(HeldInhibitors(run.Pid(), log), std::vector<std::string>{}) << run.Text();
  ASSERT_EQ(run.Wait(kRunMs), 0) << run.Text();
  EXPECT_EQ(ReadText(log),
            "Inhibit sleep:idle padwright block (org.freedesktop.login1.Manager)\n"
            "Inhibit shutdown padwright block (org.freedesktop.login1.Manager)\n");
  ExpectRestored();

  // A libsystemd.so.0 that cannot be loaded: the update goes on, and --verbose says so.
  mkdir((folder + "/broken").c_str(), 0755);
  WriteFile("broken/libsystemd.so.0", {});
  sim.ClearTranscript();
  CommandRun without;
  without.SetVariable("LD_LIBRARY_PATH", folder + "/broken");
  Start(without, {"--verbose", "update", "firmware.vxf"}, Output::kPipe);
  ASSERT_EQ(without.Wait(kRunMs), 0) << without.Text();
  InOrder(without.Text(), {"padwright: could not keep the machine awake (", "libsystemd.so.0",
                           "padwright: could not hold off a shutdown (", "Ready, please wait...\n",
                           "Upgrade success\n"});
  ExpectImageWritten();
}

TEST_F(PadwrightCommand, SecondInstanceIsRefusedAndCtrlCInACountdownStopsCleanly) {
  CommandRun first;
  Start(first, {"recover", "firmware.vxf"}, Output::kTerminal);
  ASSERT_TRUE(first.WaitFor("keep HOME held (n: cancel)", kRunMs)) << first.Text();
  tcflag_t modes = 0;
  ASSERT_TRUE(first.TerminalLocalModes(&modes));
  EXPECT_EQ(modes & (ICANON | ECHO), 0u);  // each key counts at once, unechoed
  std::string text;
  EXPECT_EQ(Run({"status"}, &text), 3);
  EXPECT_EQ(text, "An instance is already running!\npadwright: another run of padwright (pid " +
                      std::to_string(first.Pid()) + ") is in progress\n");
  first.Signal(SIGINT);
  EXPECT_EQ(first.Wait(kRunMs), 128 + SIGINT);
  EXPECT_NE(first.Text().find("padwright: stopped"), std::string::npos);
  ASSERT_TRUE(first.TerminalLocalModes(&modes));
  EXPECT_EQ(modes & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));  // given back
  EXPECT_TRUE(sim.Transcript().empty());
  EXPECT_EQ(Run({"status"}, &text), 0);  // the lock went with the first instance
}

// A process of another user that opens `path` and holds an flock on it until `release` is
// closed; false when it could not.
bool HoldLockAsOtherUser(const std::string& path, uid_t user, int release[2], pid_t* pid) {
  int ready[2];
  if (pipe(ready) != 0) {
    return false;
  }
  *pid = fork();
  if (*pid == 0) {  // only system calls from here: the test has threads
    close(ready[0]);
    close(release[1]);
    char held = 0;
    if (setgid(user) == 0 && setuid(user) == 0) {
      const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
      held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
    }
    ssize_t ignored = write(ready[1], &held, 1);
    (void)ignored;
    ignored = read(release[0], &held, 1);  // returns once the test closes its end
    _exit(0);
  }
  close(ready[1]);
  char held = 0;
  const bool ok = *pid > 0 && read(ready[0], &held, 1) == 1 && held == 1;
  close(ready[0]);
  return ok;
}

TEST_F(PadwrightCommand, NoOtherUserCanKeepRootFromRunningAndEachSeesARootRun) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "root's lock, and another user's, need the tests to run as root";
  }
  constexpr uid_t kOtherUser = 65534;  // nobody
  ASSERT_TRUE(host.Start());
  // The other user may reach the test's folders, as it could /run.
  chmod(host.Root().c_str(), 0755);
  chmod(folder.c_str(), 0755);
  const std::string lockFolder = host.Root() + "/run/padwright";
  const std::string lockFile = lockFolder + "/padwright.lock";
  mkdir(lockFolder.c_str(), 0755);

  // A FIFO under the lock file's name neither blocks root's run nor stops it.
  ASSERT_EQ(mkfifo(lockFile.c_str(), 0666), 0);
  std::string text;
  EXPECT_EQ(Run({"status"}, &text), 0) << text;

  // A lock file that others can open, locked by another user: replaced, not waited for.
  unlink(lockFile.c_str());
  close(open(lockFile.c_str(), O_WRONLY | O_CREAT, 0644));
  int release[2];
  ASSERT_EQ(pipe(release), 0);
  pid_t holder = -1;
  const bool held = HoldLockAsOtherUser(lockFile, kOtherUser, release, &holder);
  close(release[0]);
  EXPECT_TRUE(held);
  EXPECT_EQ(Run({"status"}, &text), 0) << text;
  close(release[1]);
  waitpid(holder, nullptr, 0);
  struct stat info {};
  ASSERT_EQ(lstat(lockFile.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(info.st_uid, 0u);

  // While root's run holds the lock, the other user's run sees it and refuses.
  CommandRun rootRun;
  Start(rootRun, {"recover", "firmware.vxf"}, Output::kTerminal);
  ASSERT_TRUE(rootRun.WaitFor("keep HOME held (n: cancel)", kRunMs)) << rootRun.Text();
  CommandRun other;
  other.RunAs(kOtherUser, kOtherUser);
  Start(other, {"status"}, Output::kPipe);
  EXPECT_EQ(other.Wait(kRunMs), 3) << other.Text();
  EXPECT_EQ(other.Text(),
            "An instance is already running!\npadwright: another run of padwright (pid " +
                std::to_string(rootRun.Pid()) + ") is in progress\n");
  rootRun.Signal(SIGINT);
  EXPECT_EQ(rootRun.Wait(kRunMs), 128 + SIGINT);
  EXPECT_EQ(Run({"status"}, &text), 0) << text;
}

TEST_F(PadwrightCommand, WhileAnotherRunHoldsTheLockDoctorSaysThatRunIsUpdatingTheController) {
  // An update whose transfer stopped answering, its recovery offered on a terminal: the
  // controller is in its boot loader, and the run still holds the lock.
  sim.Inject(Step::DataPacket, 150, Fault::NoReply);
  CommandRun update;
  Start(update, {"update", "firmware.vxf"}, Output::kTerminal);
  ASSERT_TRUE(update.WaitFor("Starting the recovery in", kRunMs)) << update.Text();
  std::string text;
  EXPECT_EQ(Run({"doctor"}, &text), 1);
  const std::string run = "another run of padwright (pid " + std::to_string(update.Pid()) + ")";
  InOrder(text, {"Controller   NOTE     " + run +
                     " is updating the controller; not read meanwhile, seen: its boot loader",
                 "Lock         PROBLEM  " + run + " is in progress: wait for it to end\n",
                 "An update cannot run now"});
  EXPECT_EQ(text.find("firmware is missing"), std::string::npos) << text;
  update.Type("n");
  EXPECT_EQ(update.Wait(kRunMs), 1);
}

TEST_F(PadwrightCommand, RootsRunRefusesWhileAnotherUsersPadwrightHoldsTheController) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "another user's run needs the tests to run as root";
  }
  constexpr uid_t kOtherUser = 65534;  // nobody
  ASSERT_TRUE(host.Start());
  chmod(host.Root().c_str(), 0755);
  chmod(folder.c_str(), 0755);
  // The controller's nodes, as the udev rule gives them to the user at the seat.
  chmod((host.Root() + standin::kSocketFile).c_str(), 0666);
  // A padwright of that user (its lock is looked for too, natively) holding the command node.
  const std::string program = folder + "/padwright";
  std::filesystem::create_symlink("/bin/sleep", program);
  CommandRun other;
  other.RunAs(kOtherUser, kOtherUser);
  ASSERT_TRUE(other.Start("/bin/sh", {"-c", "exec 3<>/dev/hidraw2; exec \"$0\" 60", program},
                          folder, host.Root(), Output::kPipe));
  const std::string held = host.Root() + "/held";
  for (int waited = 0; waited < 5000 && std::filesystem::is_empty(held); waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(std::filesystem::is_empty(held));
  std::string text;
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 3);
  EXPECT_EQ(text, "An instance is already running!\npadwright: another run of padwright (pid " +
                      std::to_string(other.Pid()) + ") is in progress\n");
  EXPECT_TRUE(sim.Transcript().empty());
}

TEST_F(PadwrightCommand, DoctorSaysWhatAnUpdateWouldFindAndChangesNothing) {
  std::string text;
  ASSERT_EQ(Run({"doctor"}, &text), 0) << text;
  InOrder(text, {"Controller   OK       /dev/hidraw2 (1c4f:0002, the command interface",
                 "passed over: /dev/hidraw1 (8-byte reports)", "firmware 2, mode 7\n",
                 "Node access  OK", "/dev/mem     OK", "Power        ", "Lock         OK",
                 "Backups      OK       " + ShownBackupFolder() + " can be written",
                 "An update can run now.\n"});
  // Only the global block was read; the power byte is as it was.
  for (const CommandReport& request : sim.Requests(SimDevice::Controller)) {
    EXPECT_EQ(request.Command(), static_cast<uint8_t>(CommandCode::ReadGlobalConfig));
  }
  EXPECT_FALSE(sim.Requests(SimDevice::Controller).empty());
  EXPECT_EQ(host.PowerByte(), 0xA5);

  host.SetMemoryAccess(StandInHost::MemoryAccess::kLockedDown);
  EXPECT_EQ(Run({"doctor"}, &text), 1) << text;
  InOrder(text, {"/dev/mem     PROBLEM  /dev/mem cannot be opened",
                 geteuid() == 0 ? "Switch Secure Boot off" : "Run padwright with sudo",
                 "An update cannot run now"});
}

TEST_F(PadwrightCommand, StatusShowsTheVersionLineOrTheError) {
  std::string text;
  EXPECT_EQ(Run({"--version"}, &text), 0);
  EXPECT_EQ(text, "padwright " PADWRIGHT_VERSION_TEXT "\n");  // the exe's version block too
  EXPECT_EQ(Run({"status"}, &text), 0);
  EXPECT_EQ(text, "Firmware Version: 2 Mode: 7\n");
  sim.SetPower(false);
  EXPECT_EQ(Run({"--verbose", "status"}, &text), 1);
  InOrder(text, {"Vid: 46d Pid: c31c /dev/hidraw0\n", "Firmware Version: Error\n"});
}

}  // namespace
