// The setting of the end-to-end tests of the shipped padwright binary: a test folder with a
// firmware image, the controller simulator served behind the stand-in, runs of the binary on
// a pipe or a terminal, and what the tests check the output and the controller by.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/ControllerSimulator.h"
#include "sim/linux/host/StandInHost.h"
#include "tests/linux/terminal/support/CommandRun.h"
#include "tests/support/TestImages.h"
#include "tests/support/UserController.h"

using Output = CommandRun::Output;

inline constexpr int kRunMs = 60000;
inline constexpr size_t kImageSize = 58 * 300 + 17;  // 301 data packets

// Whether `text` holds each of `parts`, in this order.
bool InOrder(const std::string& text, std::initializer_list<std::string> parts);
size_t Count(const std::string& text, const std::string& part);
std::string ReadText(const std::string& path);

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

  // Starts padwright with `args` in the test's folder, serving the simulator as set up;
  // started as padwright from PATH unless the run names itself otherwise.
  void Start(CommandRun& run, const std::vector<std::string>& args, Output output) {
    if (host.Root().empty()) {
      ASSERT_TRUE(host.Start());
    }
    if (run.ProgramName().empty()) {
      run.SetProgramName("padwright");
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

  // A command as the output names it for the user to run later: with sudo for root's run,
  // whose backups are root's.
  static std::string Hint(const std::string& arguments) {
    return (geteuid() == 0 ? "sudo padwright " : "padwright ") + arguments;
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
      if (entry.path().filename().string().starts_with("backup-")) {  // not the history
        names.push_back(entry.path().filename().string());
      }
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
