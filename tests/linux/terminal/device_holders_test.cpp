// Who holds a device open: the processes of a /proc tree whose fd links lead to one of the
// devices, with their command names, and the systemd unit each cgroup text names.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frontends/terminal/OtherUsersRun.h"
#include "platform/linux/DeviceHolders.h"

namespace {

std::string UnitText(const std::string& cgroup) {
  const SystemdUnit unit = UnitFromCgroup(cgroup);
  const char* manager = unit.manager == SystemdUnit::Manager::kSystem ? "system"
                        : unit.manager == SystemdUnit::Manager::kUser ? "user"
                                                                      : "none";
  return std::string(manager) + " " + unit.name;
}

TEST(DeviceHolders, UnitIsTheOutermostServiceOrScopeOfItsManager) {
  EXPECT_EQ(UnitText("0::/system.slice/hhd@deck.service\n"), "system hhd@deck.service");
  EXPECT_EQ(UnitText("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                     "app-steam@autostart.service\n"),
            "user app-steam@autostart.service");
  // A hybrid layout: systemd's own line counts, not a controller's.
  EXPECT_EQ(UnitText("4:cpu,cpuacct:/\n1:name=systemd:/system.slice/inputplumber.service\n"
                     "0::/\n"),
            "system inputplumber.service");
  // A login session's scope is no unit to stop; nor is anything outside systemd.
  EXPECT_EQ(UnitText("0::/user.slice/user-1000.slice/session-2.scope\n"), "none ");
  EXPECT_EQ(UnitText("0::/\n"), "none ");
  EXPECT_EQ(UnitText(""), "none ");
  // Cgroups below a unit are named by whoever runs in it: neither a user's manager nor a unit
  // to stop, and the manager is the user the system made it for.
  EXPECT_EQ(UnitText("0::/system.slice/box.service/user@0.service/sshd.service\n"),
            "system box.service");
  EXPECT_EQ(UnitText("0::/user.slice/user-1000.slice/user@1000.service/init.scope\n"), "none ");
  const SystemdUnit nested = UnitFromCgroup(
      "0::/user.slice/user-1000.slice/user@1000.service/app.slice/user@0.service/x.service\n");
  EXPECT_EQ(nested.manager, SystemdUnit::Manager::kUser);
  EXPECT_EQ(nested.managerUid, 1000u);
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

// A process of the fake tree with one fd open on `target`.
void AddProcess(const std::filesystem::path& proc, int pid, const std::string& command,
                const std::string& cgroup, const std::string& target) {
  const std::filesystem::path folder = proc / std::to_string(pid);
  WriteFile(folder / "comm", command + "\n");
  WriteFile(folder / "cgroup", cgroup);
  std::filesystem::create_directories(folder / "fd");
  std::filesystem::create_symlink(target, folder / "fd" / "7");
}

TEST(DeviceHolders, ProcessesWithTheDeviceOpenAreFoundOnceEachButSelf) {
  char folder[] = "/tmp/padwright-proc-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::filesystem::path proc = folder;
  struct stat null {};
  ASSERT_EQ(stat("/dev/null", &null), 0);
  AddProcess(proc, 310, "hhd", "0::/system.slice/hhd@deck.service\n", "/dev/null");
  AddProcess(proc, 42, "steam", "0::/user.slice/user-1000.slice/session-2.scope\n", "/dev/null");
  std::filesystem::create_symlink("/dev/null", proc / "42" / "fd" / "9");  // counted once
  AddProcess(proc, 77, "other", "0::/\n", "/dev/zero");
  AddProcess(proc, 500, "padwright", "0::/\n", "/dev/null");  // the caller itself
  WriteFile(proc / "self" / "comm", "padwright\n");

  const std::vector<DeviceHolder> holders = FindDeviceHolders({null.st_rdev}, 500, proc);
  ASSERT_EQ(holders.size(), 2u);
  EXPECT_EQ(holders[0].pid, 42);
  EXPECT_EQ(holders[0].command, "steam");
  EXPECT_EQ(holders[0].unit.manager, SystemdUnit::Manager::kNone);
  EXPECT_EQ(holders[1].pid, 310);
  EXPECT_EQ(holders[1].command, "hhd");
  EXPECT_EQ(holders[1].unit.name, "hhd@deck.service");
  std::filesystem::remove_all(proc);
}

TEST(DeviceHolders, AnotherUsersPadwrightWithTheNodeOrItsLockIsARunInProgress) {
  char folder[] = "/tmp/padwright-proc-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::filesystem::path proc = folder;
  const std::filesystem::path lock = proc / "run" / "padwright.lock";
  const std::filesystem::path other = proc / "run" / "other.lock";
  WriteFile(lock, "");
  WriteFile(other, "");
  struct stat null {
  }, lockInfo{}, otherInfo{};
  ASSERT_EQ(stat("/dev/null", &null), 0);
  ASSERT_EQ(stat(lock.c_str(), &lockInfo), 0);
  ASSERT_EQ(stat(other.c_str(), &otherInfo), 0);
  // The tree's processes are all the test's user: "another user" is whoever the caller is not.
  const uid_t owner = getuid();
  const uid_t caller = owner + 1;
  AddProcess(proc, 610, "padwright", "0::/\n", "/dev/null");  // holds the node
  AddProcess(proc, 620, "sleep", "0::/\n", lock);             // the lock file, but not padwright
  AddProcess(proc, 630, "padwright", "0::/\n", other);        // padwright, another file locked
  AddProcess(proc, 640, "padwright", "0::/\n", lock);         // its lock
  const std::vector<FileFlock> flocks = {{620, lockInfo.st_dev, lockInfo.st_ino},
                                         {630, otherInfo.st_dev, otherInfo.st_ino},
                                         {640, lockInfo.st_dev, lockInfo.st_ino}};
  pid_t pid = 0;
  ASSERT_TRUE(FindOtherUsersRunIn(proc, {null.st_rdev}, {}, caller, 1, &pid));
  EXPECT_EQ(pid, 610);
  ASSERT_TRUE(FindOtherUsersRunIn(proc, {}, flocks, caller, 1, &pid));
  EXPECT_EQ(pid, 640);
  // The caller's own processes, and the caller itself, are no other user's run.
  EXPECT_FALSE(FindOtherUsersRunIn(proc, {null.st_rdev}, flocks, owner, 1, &pid));
  EXPECT_FALSE(FindOtherUsersRunIn(proc, {}, {flocks[0], flocks[1]}, caller, 1, &pid));
  EXPECT_FALSE(FindOtherUsersRunIn(proc, {}, flocks, caller, 640, &pid));
  std::filesystem::remove_all(proc);
}

}  // namespace
