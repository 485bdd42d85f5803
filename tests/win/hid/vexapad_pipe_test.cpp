// The product's controller link (the protocol over the Win32 HID transport, through the
// simulated HID stack) against the controller simulator hosted behind pipes: configuration
// commands, a 64 KiB firmware transfer, a power cycle through the power bit, and the command
// interface of a composite controller.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "device/win/ProductVexapad.h"
#include "platform/win/WindowsClock.h"
#include "sim/ControllerSimulator.h"
#include "sim/win/host/ScriptedHidDevice.h"
#include "sim/win/host/SimHost.h"
#include "sim/win/inpout/SharedPhysicalMemory.h"
#include "tests/win/support/WindowProbe.h"

namespace {

template <typename Block>
Block Filled(uint8_t seed) {
  Block block{};
  for (size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<uint8_t>(seed + 7 * i);
  }
  return block;
}

class VexapadOverPipes : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.SetBootDelayMs(200);
    sim.SetPowerOnDelayMs(200);
    host.AddController(sim);
    ASSERT_TRUE(host.Start());
  }
  void TearDown() override { host.Stop(); }

  ControllerSimulator sim;
  SimHost host;
  WindowsClock clock;
  CVexapad vexapad{clock};  // closed before the host stops
};

TEST_F(VexapadOverPipes, ConfigurationCommandsReachTheController) {
  const GlobalConfig global = Filled<GlobalConfig>(3);
  const ButtonConfig buttons = Filled<ButtonConfig>(11);
  sim.SetGlobalConfig(global);
  sim.SetButtonConfig(buttons);

  GlobalConfig readGlobal{};
  ButtonConfig readButtons{};
  ASSERT_TRUE(vexapad.ReadGlobalConfig(readGlobal.data(), 33, 1000));
  ASSERT_TRUE(vexapad.ReadButtonConfig(readButtons.data(), 1000));
  EXPECT_EQ(readGlobal, global);
  EXPECT_EQ(readButtons, buttons);

  const GlobalConfig newGlobal = Filled<GlobalConfig>(90);
  const ButtonConfig newButtons = Filled<ButtonConfig>(200);
  ASSERT_TRUE(vexapad.WriteGlobalConfig(newGlobal.data(), 33, 10000));
  ASSERT_TRUE(vexapad.WriteButtonConfig(newButtons.data(), 10000));
  ASSERT_TRUE(vexapad.SetMode(2, 1000));
  ASSERT_TRUE(vexapad.SaveConfig(100));
  EXPECT_EQ(sim.GetButtonConfig(), newButtons);
  EXPECT_EQ(sim.SaveCount(), 1u);
  EXPECT_EQ(sim.ModesSet(), std::vector<uint16_t>{2});
  GlobalConfig expected = newGlobal;
  expected[kModeByte] = 2;                                        // the mode set shows in the block
  expected[kFirmwareVersionByte] = global[kFirmwareVersionByte];  // the running version
  EXPECT_EQ(sim.GetGlobalConfig(), expected);
  EXPECT_EQ(sim.SavedGlobalConfig(), expected);
  EXPECT_TRUE(sim.Violations().empty());
}

TEST_F(VexapadOverPipes, FirmwareOf64KiBArrivesByteForByteAndPowerBitRestartsIt) {
  std::vector<unsigned char> image(64 * 1024);
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<unsigned char>((i * 131) ^ (i >> 8));
  }
  sim.SetNewFirmware(7);
  std::vector<std::pair<size_t, size_t>> progress;
  auto record = [&](size_t done, size_t total) { progress.emplace_back(done, total); };

  ASSERT_TRUE(vexapad.Upgrade(image.data(), image.size(), record, 10000));
  EXPECT_EQ(sim.ReceivedImage(), std::vector<uint8_t>(image.begin(), image.end()));
  EXPECT_TRUE(sim.ImageComplete());
  EXPECT_TRUE(sim.Violations().empty());
  ASSERT_EQ(progress.size(), (image.size() + 57) / 58);
  EXPECT_EQ(progress.back(), std::make_pair(image.size(), image.size()));

  // Another holder of the stand-in physical memory switches the power off and on.
  SharedPhysicalMemory physical;
  ASSERT_TRUE(physical.Open());
  ASSERT_TRUE(physical.PowerOn());
  physical.SetPowerByte(physical.PowerByte() & ~0x01);
  EXPECT_TRUE(probe::WaitFor([&] { return sim.State() == SimState::Off; }));
  physical.SetPowerByte(physical.PowerByte() | 0x01);
  GlobalConfig global{};
  ASSERT_TRUE(vexapad.ReadGlobalConfig(global.data(), 33, 3000));
  EXPECT_EQ(FirmwareVersion(global), 7);
  EXPECT_EQ(sim.PowerOnCount(), 1u);
}

TEST_F(VexapadOverPipes, ControllerThatStopsAnsweringFailsTheCommand) {
  sim.Inject(Step::ButtonRead, 7, Fault::NoReply);
  ButtonConfig buttons{};
  ASSERT_FALSE(vexapad.ReadButtonConfig(buttons.data(), 1000));
  std::vector<CommandReport> requests = sim.Requests(SimDevice::Controller);
  ASSERT_EQ(requests.size(), 8u);  // blocks 0 to 7, nothing for block 8
  // The controller was closed after the failure: the next command opens it afresh.
  GlobalConfig global{};
  EXPECT_TRUE(vexapad.ReadGlobalConfig(global.data(), 33, 1000));
}

TEST_F(VexapadOverPipes, SimulatorFaultsReachTheProductAsFailures) {
  GlobalConfig global{};
  const GlobalConfig untouched = global;

  // A short reply is a failed read; a late one within the time-out is fine.
  sim.Inject(Step::GlobalRead, 0, Fault::ShortReply, 20);
  EXPECT_FALSE(vexapad.ReadGlobalConfig(global.data(), 33, 1000));
  EXPECT_EQ(global, untouched);
  sim.Inject(Step::GlobalRead, 0, Fault::LateReply, 300);
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(vexapad.ReadGlobalConfig(global.data(), 33, 1000));
  EXPECT_GE(GetTickCount64() - start, 250u);

  // The controller vanishing in the middle of a transfer breaks it at once, not after the
  // transfer's time-out.
  std::vector<unsigned char> image(58 * 20, 0x42);
  sim.Inject(Step::DataPacket, 5, Fault::DeviceGone);
  const ULONGLONG transferStart = GetTickCount64();
  EXPECT_FALSE(vexapad.Upgrade(image.data(), image.size(), nullptr, 10000));
  EXPECT_LT(GetTickCount64() - transferStart, 9000u);
  EXPECT_EQ(sim.DataPacketsReceived(), 5u);
}

TEST_F(VexapadOverPipes, BootLoaderThatNeverAppearsGetsNothing) {
  sim.Inject(Step::Enter, 0, Fault::NoBootLoader);
  std::vector<unsigned char> image(100, 0x17);
  EXPECT_FALSE(vexapad.Upgrade(image.data(), image.size(), nullptr, 1000));
  EXPECT_EQ(sim.Requests(SimDevice::BootLoader).size(), 0u);
  EXPECT_EQ(sim.Requests(SimDevice::Controller).size(), 1u);  // the enter packet
}

TEST(VexapadCompositeController, CommandInterfaceIsFoundBehindAGamepadCollection) {
  // Listed first, with the controller's own ids and 9-byte reports, opening read-write just
  // like the command interface.
  ScriptedHidDevice gamepad(kControllerVid, kControllerPid);
  gamepad.SetReportLengths(9, 9);
  ControllerSimulator sim;
  SimHost host;
  host.AddDevice(gamepad);
  host.AddController(sim);
  ASSERT_TRUE(host.Start());
  const GlobalConfig global = Filled<GlobalConfig>(5);
  sim.SetGlobalConfig(global);
  WindowsClock clock;
  CVexapad vexapad{clock};

  GlobalConfig read{};
  EXPECT_TRUE(vexapad.ReadGlobalConfig(read.data(), 33, 1000));
  EXPECT_EQ(read, global);
  EXPECT_TRUE(gamepad.Writes().empty());
  EXPECT_TRUE(probe::WaitFor([&] { return gamepad.OpenConnections() == 0; }));
  host.Stop();
}

}  // namespace
