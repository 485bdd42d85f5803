// The shipped padwright binary, unchanged, end to end against the controller simulator
// behind the stand-in for hidraw, sysfs and /dev/mem: update, recover and status as a user
// runs them, on a terminal and to a pipe, with the refusals before anything reaches the
// controller, Ctrl+C during a flash, and a second instance. No root needed.
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
#include <fstream>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "padwright/Version.h"
#include "sim/ControllerSimulator.h"
#include "sim/linux/host/StandInHost.h"
#include "tests/linux/support/CommandRun.h"
#include "tests/support/TestImages.h"
#include "tests/support/UserController.h"

namespace {

using Output = CommandRun::Output;

constexpr int kRunMs = 60000;
constexpr size_t kImageSize = 58 * 300 + 17;  // 301 data packets

// Whether `text` holds each of `parts`, in this order.
bool InOrder(const std::string& text, std::initializer_list<std::string> parts) {
  size_t at = 0;
  for (const std::string& part : parts) {
    at = text.find(part, at);
    if (at == std::string::npos) {
      ADD_FAILURE() << "missing or out of order: " << part << "\n--- output:\n" << text;
      return false;
    }
    at += part.size();
  }
  return true;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

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

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PadwrightCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpUserController(sim, 2, 3);
    char name[] = "/tmp/padwright-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
    image = SomeImage(kImageSize, 11);
    WriteFile("firmware.vxf", image);
  }

  void TearDown() override {
    host.Stop();
    std::error_code ignored;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(folder, ignored);
  }

  void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  // Starts padwright with `args` in the test's folder, serving the simulator as set up.
  void Start(CommandRun& run, const std::vector<std::string>& args, Output output) {
    if (host.Root().empty()) {
      ASSERT_TRUE(host.Start());
    }
    ASSERT_TRUE(run.Start(PADWRIGHT_BINARY, args, folder, host.Root(), output));
  }

  int Run(const std::vector<std::string>& args, std::string* text = nullptr) {
    CommandRun run;
    Start(run, args, Output::kPipe);
    const int status = run.Wait(kRunMs);
    if (text != nullptr) {
      *text = run.Text();
    }
    return status;
  }

  // The user's configuration is back on the new firmware, and its mode.
  void ExpectRestored() {
    EXPECT_EQ(sim.GetButtonConfig(), UserButtons());
    GlobalConfig global = sim.GetGlobalConfig();
    global[kFirmwareVersionByte] = 2;  // the running firmware's version stays in byte 0
    EXPECT_EQ(global, UserGlobal(2));
    ASSERT_FALSE(sim.ModesSet().empty());
    EXPECT_EQ(sim.ModesSet().back(), kUserMode);
  }

  // Where the command keeps its backups in this test: root's go to the stand-in's folder,
  // a user's to the XDG state folder the test gives it there.
  std::string BackupFolder() const {
    return host.Root() +
           (geteuid() == 0 ? "/var/lib/padwright/backups" : "/state/padwright/backups");
  }
  // The same as the command names it (the stand-in's folder stands in for root's).
  std::string ShownBackupFolder() const {
    return geteuid() == 0 ? "/var/lib/padwright/backups" : BackupFolder();
  }
  std::vector<std::string> BackupNames() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(BackupFolder(), ignored)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
  std::string ReadBackup(const std::string& name) const {
    std::ifstream in(BackupFolder() + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteBackup(const std::string& name, const std::string& text) const {
    std::ofstream(BackupFolder() + "/" + name, std::ios::binary) << text;
  }

  void ExpectImageWritten() {
    EXPECT_TRUE(sim.ImageComplete());
    EXPECT_EQ(sim.ReceivedImage(), image);
    EXPECT_TRUE(sim.Violations().empty());
  }

  ControllerSimulator sim;
  StandInHost host{sim};
  std::string folder;
  std::vector<uint8_t> image;
};

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
                 "Run: padwright recover firmware.vxf\n"});
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
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 1);
  InOrder(text, {"The controller is waiting in its boot loader; nothing was changed.",
                 "Run: padwright recover firmware.vxf\n"});
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

TEST_F(PadwrightCommand, RestoreThatFailsIsSaidPlainlyAndTheBackupWritesItLater) {
  for (uint32_t attempt = 0; attempt < 3; ++attempt) {
    sim.Inject(Step::GlobalWrite, attempt, Fault::ShortReply);
  }
  std::string text;
  EXPECT_EQ(Run({"update", "firmware.vxf"}, &text), 4);
  InOrder(text, {"Recovery global failed\n", "Upgrade success\n",
                 "The saved configuration could not be restored.\n", "padwright restore"});
  ExpectImageWritten();

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
  InOrder(declined.Text(), {"Upgrade failed!", "Later, run: padwright recover firmware.vxf"});
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
  InOrder(text, {"damaged (checksum wrong)", "damaged (torn)", "written back", names[0]});
  // A named file that is no backup is refused before the controller is touched.
  EXPECT_EQ(Run({"restore", "backup-2099-01-01T00-00-00.000Z.txt"}, &text), 2);
  EXPECT_NE(text.find("torn"), std::string::npos) << text;
  EXPECT_EQ(sim.ModesSet().size(), 1u);
}

TEST_F(PadwrightCommand, RecoverOnAControllerAlreadyInItsBootLoaderGoesStraightToTheFirmware) {
  sim.SetHomeHeld(true);
  sim.SetPower(false);
  sim.SetPower(true);
  for (int waited = 0; waited < kRunMs && sim.State() != SimState::BootLoader; waited += 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  sim.SetHomeHeld(false);
  std::string text;
  ASSERT_EQ(Run({"recover", "firmware.vxf"}, &text), 0) << text;
  InOrder(text, {"waiting in its boot loader", "Ready, please wait...", "Upgrade success\n",
                 "Firmware Version: 3 Mode: "});
  EXPECT_EQ(text.find("HOME button down"), std::string::npos) << text;
  EXPECT_EQ(text.find("Initialize ok"), std::string::npos) << text;
  ExpectImageWritten();
  EXPECT_EQ(sim.State(), SimState::Normal);
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
  EXPECT_EQ(text, "An instance is already running!\n");
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
  EXPECT_EQ(other.Text(), "An instance is already running!\n");
  rootRun.Signal(SIGINT);
  EXPECT_EQ(rootRun.Wait(kRunMs), 128 + SIGINT);
  EXPECT_EQ(Run({"status"}, &text), 0) << text;
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
