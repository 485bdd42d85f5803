// The hidraw transport against the controller simulator behind the stand-in for the
// kernel's nodes (linked into this test): which node it takes (only the command interface,
// also when it comes late), and each way a transfer fails: time-out, short read, device
// gone, signals during the wait, a node it may not open, a node moved out of its place.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "device/CommandReport.h"
#include "device/linux/HidrawDevice.h"
#include "platform/linux/MonotonicClock.h"
#include "sim/ControllerSimulator.h"
#include "sim/linux/host/StandInHost.h"

namespace {

class HidrawDeviceTest : public ::testing::Test {
 protected:
  // Serves the simulator as it has been set up; opens the controller's node.
  bool OpenController() {
    if (host.Root().empty() && host.Start()) {
      host.ExportRoot();
    }
    return device.OpenDevice(kControllerVid, kControllerPid, L"");
  }

  // One SaveConfig request written to the open device.
  bool WriteSave() {
    CommandReport request = CommandReport::Request(CommandCode::SaveConfig);
    return device.WriteReport(request.data(), kReportSize, 1000);
  }

  ControllerSimulator sim;
  StandInHost host{sim};
  CHidrawDevice device;
  std::array<uint8_t, kReportSize> reply{};
};

TEST_F(HidrawDeviceTest, TakesTheInterfaceWithTheProtocolsReportLength) {
  ASSERT_TRUE(OpenController());
  // hidraw1 is the controller's keyboard function with the same ids; hidraw0 another device.
  EXPECT_EQ(device.DevicePath(), "/dev/hidraw2");
  EXPECT_TRUE(WriteSave());
  EXPECT_TRUE(device.ReadReport(reply.data(), kReportSize, 1000));
  ASSERT_EQ(sim.Requests(SimDevice::Controller).size(), 1u);
  EXPECT_EQ(sim.SaveCount(), 1u);

  EXPECT_FALSE(device.OpenDevice(kControllerVid, kControllerPid, L"hidraw9"));
  EXPECT_FALSE(device.IsOpen());
  const unsigned opens = host.OpenCount();
  EXPECT_TRUE(device.IsPresent(kControllerVid, kControllerPid));
  EXPECT_FALSE(device.IsPresent(kBootLoaderVid, kBootLoaderPid));
  EXPECT_EQ(host.OpenCount(), opens);  // presence is read from sysfs, nothing is opened
}

// Waits up to 5 s until the controller's presence in sysfs is `present`.
bool WaitPresence(CHidrawDevice& device, bool present) {
  for (int waited = 0; waited < 5000; waited += 5) {
    if (device.IsPresent(kControllerVid, kControllerPid) == present) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST_F(HidrawDeviceTest, OnlyTheCommandInterfaceIsOpenedAndALateOneIsWaitedFor) {
  // Both nodes with the controller's ids declare other report lengths: neither is opened.
  sim.SetReportLength(SimDevice::Controller, 33);
  EXPECT_FALSE(OpenController());
  EXPECT_EQ(host.OpenCount(), 0u);
  sim.SetReportLength(SimDevice::Controller, kWireReportSize);
  // Back from a power cycle, the command node is listed before it can be opened: the open
  // fails (it does not settle for the keyboard node) and succeeds once the node is there.
  host.SetCommandNodeLate(600, true);
  sim.SetPower(false);
  ASSERT_TRUE(WaitPresence(device, false));
  sim.SetPower(true);
  ASSERT_TRUE(WaitPresence(device, true));
  const unsigned opens = host.OpenCount();
  EXPECT_FALSE(device.OpenDevice(kControllerVid, kControllerPid, L""));
  EXPECT_EQ(host.OpenCount(), opens + 1);  // hidraw2 tried, hidraw1 not
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  ASSERT_TRUE(device.OpenDevice(kControllerVid, kControllerPid, L""));
  EXPECT_EQ(device.DevicePath(), "/dev/hidraw2");
  EXPECT_TRUE(WriteSave());
  EXPECT_TRUE(device.ReadReport(reply.data(), kReportSize, 1000));
}

TEST_F(HidrawDeviceTest, ReplyThatNeverComesFailsAfterTheWholeTimeOut) {
  sim.Inject(Step::Save, 0, Fault::NoReply);
  reply.fill(0x5A);
  ASSERT_TRUE(OpenController());
  ASSERT_TRUE(WriteSave());
  const uint64_t start = MonotonicMs();
  EXPECT_FALSE(device.ReadReport(reply.data(), kReportSize, 300));
  EXPECT_GE(MonotonicMs() - start, 300u);
  EXPECT_EQ(reply[0], 0x5A);
  EXPECT_TRUE(device.IsOpen());
}

TEST_F(HidrawDeviceTest, ShortReplyIsAFailedRead) {
  sim.Inject(Step::Save, 0, Fault::ShortReply, 32);
  reply.fill(0x5A);
  ASSERT_TRUE(OpenController());
  ASSERT_TRUE(WriteSave());
  EXPECT_FALSE(device.ReadReport(reply.data(), kReportSize, 1000));
  EXPECT_EQ(reply[0], 0x5A);
}

TEST_F(HidrawDeviceTest, DeviceThatGoesAwayFailsAtOnceNotAfterTheTimeOut) {
  sim.Inject(Step::Save, 0, Fault::DeviceGone);
  ASSERT_TRUE(OpenController());
  WriteSave();  // taken by the socket before the device vanished
  const uint64_t start = MonotonicMs();
  EXPECT_FALSE(device.ReadReport(reply.data(), kReportSize, 10000));
  EXPECT_FALSE(WriteSave());
  EXPECT_LT(MonotonicMs() - start, 2000u);
}

void IgnoreSignal(int) {}

TEST_F(HidrawDeviceTest, SignalsDuringTheWaitNeitherEndNorStretchIt) {
  struct sigaction action {};
  action.sa_handler = IgnoreSignal;  // no SA_RESTART: poll returns EINTR
  sigaction(SIGUSR1, &action, nullptr);
  std::atomic<bool> reading{true};
  const pthread_t reader = pthread_self();
  std::thread interrupter([&] {
    while (reading) {
      pthread_kill(reader, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  sim.SetReplyLatencyMs(200);
  ASSERT_TRUE(OpenController());
  ASSERT_TRUE(WriteSave());
  EXPECT_TRUE(device.ReadReport(reply.data(), kReportSize, 1000));
  sim.Inject(Step::Save, 0, Fault::NoReply);
  ASSERT_TRUE(WriteSave());
  const uint64_t start = MonotonicMs();
  EXPECT_FALSE(device.ReadReport(reply.data(), kReportSize, 300));
  const uint64_t waited = MonotonicMs() - start;
  reading = false;
  interrupter.join();
  signal(SIGUSR1, SIG_DFL);
  EXPECT_GE(waited, 300u);
  EXPECT_LT(waited, 3000u);  // the deadline holds: each signal does not start it again
}

TEST_F(HidrawDeviceTest, NodeItMayNotOpenIsReportedOnceWithTheFix) {
  host.SetNodesDenied(true);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(OpenController());
  EXPECT_FALSE(OpenController());
  const std::string said = testing::internal::GetCapturedStderr();
  size_t mentions = 0;
  for (size_t at = said.find("/dev/hidraw2"); at != std::string::npos;
       at = said.find("/dev/hidraw2", at + 1)) {
    ++mentions;
  }
  EXPECT_EQ(mentions, 1u);
  EXPECT_NE(said.find("udev rule"), std::string::npos);
  EXPECT_NE(said.find("root"), std::string::npos);
}

// The names in a folder, but . and ..
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") {
        names.push_back(entry->d_name);
      }
    }
    closedir(dir);
  }
  return names;
}

TEST_F(HidrawDeviceTest, NodeMovedAwayIsFoundByItsNumbersOrMadeByRoot) {
  // A daemon moved the command node into a folder of its own and put the keyboard's node
  // under its name: that one is never taken for the controller.
  host.MoveNode(2, "/dev/handheld/hidden-hidraw2");
  host.MoveNode(0, "/dev/hidraw2");
  ASSERT_TRUE(OpenController());
  EXPECT_EQ(device.DevicePath(), "/dev/handheld/hidden-hidraw2");
  EXPECT_TRUE(WriteSave());
  EXPECT_TRUE(device.ReadReport(reply.data(), kReportSize, 1000));
  EXPECT_EQ(sim.SaveCount(), 1u);

  // Nowhere under /dev: root makes a node of its own, opens it and removes it at once;
  // anyone else finds nothing to open.
  host.MoveNode(2, "");
  struct stat info {};
  for (int waited = 0; waited < 2000 && lstat("/dev/handheld/hidden-hidraw2", &info) == 0;
       waited += 5) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (geteuid() != 0) {
    EXPECT_FALSE(OpenController());
    return;
  }
  ASSERT_TRUE(OpenController());
  EXPECT_EQ(device.DevicePath().rfind("/run/padwright/hidraw2-", 0), 0u) << device.DevicePath();
  EXPECT_TRUE(WriteSave());
  EXPECT_TRUE(device.ReadReport(reply.data(), kReportSize, 1000));
  EXPECT_EQ(sim.SaveCount(), 2u);
  EXPECT_EQ(Names(host.Root() + "/run/padwright"), std::vector<std::string>{});
}

}  // namespace
