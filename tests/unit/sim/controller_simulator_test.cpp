// The controller simulator's model: mode changes, power cycles, new firmware, faults and
// the checks it makes of what it receives.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/SimRig.h"

namespace {

// Writes one raw request to whatever device answers at vid/pid and takes its reply.
struct RawHost {
  ControllerSimulator& sim;
  uint32_t connection = 0;

  bool Open(uint16_t vid, uint16_t pid) {
    connection = sim.Connect(vid, pid);
    return connection != 0;
  }
  bool Send(const CommandReport& request) {
    uint8_t wire[kWireReportSize] = {};
    std::memcpy(wire + 1, request.data(), kReportSize);
    return sim.HostWrite(connection, wire, sizeof(wire));
  }
};

GlobalConfig Filled(uint8_t value) {
  GlobalConfig global;
  global.fill(value);
  return global;
}

}  // namespace

TEST(ControllerSimulator, PowerCycleAfterACompleteImageRunsTheNewFirmwareKeepingConfig) {
  SimRig rig;
  GlobalConfig global = Filled(0x33);
  global[0] = 2;
  rig.sim.SetGlobalConfig(global);
  rig.sim.SetNewFirmware(5);
  std::vector<uint8_t> image = PatternImage(500);
  ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
  EXPECT_EQ(rig.sim.State(), SimState::BootLoader);  // stays until power-cycled

  rig.sim.SetPower(false);
  EXPECT_FALSE(rig.sim.IsPresent(kBootLoaderVid, kBootLoaderPid));
  rig.sim.SetPower(true);
  EXPECT_EQ(rig.sim.State(), SimState::PoweringOn);
  EXPECT_FALSE(rig.sim.IsPresent(kControllerVid, kControllerPid));
  rig.clock->Advance(500);
  EXPECT_TRUE(rig.sim.IsPresent(kControllerVid, kControllerPid));
  GlobalConfig now = rig.sim.GetGlobalConfig();
  EXPECT_EQ(now[0], 5);
  EXPECT_TRUE(std::equal(now.begin() + 1, now.end(), global.begin() + 1));

  // Another power cycle without an image keeps what runs now.
  rig.sim.SetNewFirmware(9);
  rig.PowerCycle(500);
  EXPECT_EQ(rig.sim.GetGlobalConfig()[0], 5);
  EXPECT_EQ(rig.sim.PowerOnCount(), 2u);
}

TEST(ControllerSimulator, NewFirmwareCanStartFromFactoryBlocks) {
  SimRig rig;
  rig.sim.SetGlobalConfig(Filled(0x33));
  ButtonConfig buttons;
  buttons.fill(0x44);
  rig.sim.SetButtonConfig(buttons);
  ButtonConfig factoryButtons{};
  rig.sim.SetNewFirmware(4, Filled(0x01), factoryButtons);
  std::vector<uint8_t> image = PatternImage(60);
  ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
  rig.PowerCycle(500);
  GlobalConfig expected = Filled(0x01);
  expected[0] = 4;
  EXPECT_EQ(rig.sim.GetGlobalConfig(), expected);
  EXPECT_EQ(rig.sim.GetButtonConfig(), factoryButtons);
}

TEST(ControllerSimulator, IncompleteImageKeepsTheOldFirmware) {
  SimRig rig;
  rig.sim.SetGlobalConfig(Filled(2));
  rig.sim.SetNewFirmware(7);
  rig.sim.Inject(Step::DataPacket, 1, Fault::NoReply);
  std::vector<uint8_t> image = PatternImage(200);
  EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
  rig.PowerCycle(500);
  EXPECT_EQ(rig.sim.GetGlobalConfig()[0], 2);
}

TEST(ControllerSimulator, HomeHeldAtPowerOnBringsUpTheBootLoader) {
  SimRig rig;
  rig.sim.SetPowerOnDelayMs(100);
  rig.sim.SetHomeHeld(true);
  rig.sim.SetPower(false);
  rig.sim.SetPower(true);
  uint32_t at = 0;
  ASSERT_TRUE(rig.sim.NextTransitionMs(&at));
  EXPECT_EQ(at, rig.Now() + 100);
  rig.clock->Advance(100);
  EXPECT_TRUE(rig.sim.IsPresent(kBootLoaderVid, kBootLoaderPid));
  EXPECT_FALSE(rig.sim.IsPresent(kControllerVid, kControllerPid));
  EXPECT_FALSE(rig.sim.NextTransitionMs(&at));
}

TEST(ControllerSimulator, EnterLeavesNormalModeAndTheBootLoaderComesAfterItsDelay) {
  SimRig rig;
  rig.sim.SetBootDelayMs(300);
  RawHost host{rig.sim};
  ASSERT_TRUE(host.Open(kControllerVid, kControllerPid));
  const uint32_t changes = rig.sim.ChangeCount();
  ASSERT_TRUE(host.Send(CommandReport::Request(CommandCode::EnterBootLoader)));
  EXPECT_EQ(rig.sim.State(), SimState::Rebooting);
  EXPECT_GT(rig.sim.ChangeCount(), changes);
  // The answer to 0x01 can still be read although the controller has left.
  SimReply reply;
  EXPECT_TRUE(rig.sim.TakeReply(host.connection, &reply));
  EXPECT_FALSE(host.Send(CommandReport::Request(CommandCode::SaveConfig)));
  EXPECT_FALSE(rig.sim.IsPresent(SimDevice::BootLoader));
  rig.clock->Advance(299);
  EXPECT_FALSE(rig.sim.IsPresent(SimDevice::BootLoader));
  rig.clock->Advance(1);
  EXPECT_TRUE(rig.sim.IsPresent(SimDevice::BootLoader));
}

TEST(ControllerSimulator, RepliesCarryTheRequestedDataFromByte6) {
  SimRig rig;
  GlobalConfig global = Filled(0);
  global[0] = 3;
  global[12] = 9;
  rig.sim.SetGlobalConfig(global);
  RawHost host{rig.sim};
  ASSERT_TRUE(host.Open(kControllerVid, kControllerPid));
  ASSERT_TRUE(host.Send(CommandReport::Request(CommandCode::ReadGlobalConfig)));
  SimReply reply;
  ASSERT_TRUE(rig.sim.TakeReply(host.connection, &reply));
  EXPECT_EQ(reply.wire[0], 0);           // report id
  EXPECT_EQ(reply.wire[1 + 3], 0x08);    // echoed command
  EXPECT_EQ(reply.wire[1 + 6], 3);       // version
  EXPECT_EQ(reply.wire[1 + 6 + 12], 9);  // mode
}

TEST(ControllerSimulator, RecordsViolationsOfWhatItReceives) {
  SimRig rig;
  RawHost host{rig.sim};
  ASSERT_TRUE(host.Open(kControllerVid, kControllerPid));
  CommandReport badSum = CommandReport::Request(CommandCode::WriteButtonBlock, 2);
  const uint8_t block[11] = {1};
  badSum.SetPayload(block, 11);
  badSum.SetChecksum(0x1234);
  host.Send(badSum);
  host.Send(CommandReport::Request(CommandCode::ReadButtonBlock, 33));
  host.Send(CommandReport::Request(static_cast<CommandCode>(0x04)));
  CommandReport shortGlobal = CommandReport::Request(CommandCode::WriteGlobalConfig);
  shortGlobal.SetPayload(block, 11);
  host.Send(shortGlobal);

  auto violations = rig.sim.Violations();
  ASSERT_EQ(violations.size(), 4u);
  EXPECT_EQ(violations[0].kind, ViolationKind::BadChecksum);
  EXPECT_EQ(violations[1].kind, ViolationKind::BadArgument);
  EXPECT_EQ(violations[2].kind, ViolationKind::UnknownCommand);
  EXPECT_EQ(violations[3].kind, ViolationKind::BadLength);
  EXPECT_EQ(rig.sim.GetGlobalConfig(), Filled(0));  // the short block was not stored
}

TEST(ControllerSimulator, BootLoaderChecksEveryPacket) {
  SimRig rig;
  rig.sim.SetHomeHeld(true);
  rig.PowerCycle(500);
  RawHost host{rig.sim};
  ASSERT_TRUE(host.Open(kBootLoaderVid, kBootLoaderPid));
  const uint8_t bytes[3] = {1, 2, 3};
  CommandReport good = CommandReport::Request(CommandCode::DataPacket, 0);
  good.SetPayload(bytes, 3);
  CommandReport skipped = CommandReport::Request(CommandCode::DataPacket, 2);
  skipped.SetPayload(bytes, 3);
  CommandReport badSum = CommandReport::Request(CommandCode::DataPacket, 3);
  badSum.SetPayload(bytes, 3);
  badSum.SetChecksum(7);
  CommandReport empty = CommandReport::Request(CommandCode::DataPacket, 4);
  for (const CommandReport& packet : {good, skipped, badSum, empty}) {
    ASSERT_TRUE(host.Send(packet));
  }
  ASSERT_TRUE(host.Send(CommandReport::Request(CommandCode::EndTransfer)));
  ASSERT_TRUE(host.Send(good));

  auto violations = rig.sim.Violations();
  ASSERT_EQ(violations.size(), 5u);
  EXPECT_EQ(violations[0].kind, ViolationKind::BadIndex);
  EXPECT_EQ(violations[0].detail, 1u);  // the second packet
  EXPECT_EQ(violations[1].kind, ViolationKind::BadChecksum);
  EXPECT_EQ(violations[2].kind, ViolationKind::BadLength);
  EXPECT_EQ(violations[3].kind, ViolationKind::AfterEnd);
  EXPECT_EQ(violations[4].kind, ViolationKind::BadIndex);  // 0 again where 4 was due
  EXPECT_FALSE(rig.sim.ImageComplete());
  EXPECT_EQ(rig.sim.ReceivedImage().size(), 12u);  // four packets of 3 bytes were kept
}

TEST(ControllerSimulator, FaultsHitTheNumberedRequestCountedFromInjection) {
  SimRig rig;
  RawHost host{rig.sim};
  ASSERT_TRUE(host.Open(kControllerVid, kControllerPid));
  const CommandReport save = CommandReport::Request(CommandCode::SaveConfig);
  host.Send(save);  // number 0 before the injection
  rig.sim.Inject(Step::Save, 1, Fault::LateReply, 40);
  rig.sim.Inject(Step::Save, 2, Fault::ShortReply, 20);
  SimReply reply;
  uint32_t due = 0;
  ASSERT_TRUE(rig.sim.TakeReply(host.connection, &reply));

  host.Send(save);  // 0 after injection: on time
  EXPECT_EQ(rig.sim.PeekReply(host.connection, &due), ReplyStatus::Pending);
  EXPECT_EQ(due, rig.Now());
  ASSERT_TRUE(rig.sim.TakeReply(host.connection, &reply));

  host.Send(save);  // 1: late
  EXPECT_EQ(rig.sim.PeekReply(host.connection, &due), ReplyStatus::Pending);
  EXPECT_EQ(due, rig.Now() + 40);
  EXPECT_FALSE(rig.sim.TakeReply(host.connection, &reply));  // not yet due
  rig.clock->Advance(40);
  ASSERT_TRUE(rig.sim.TakeReply(host.connection, &reply));
  EXPECT_EQ(reply.count, 65);

  host.Send(save);  // 2: short
  ASSERT_TRUE(rig.sim.TakeReply(host.connection, &reply));
  EXPECT_EQ(reply.count, 20);
  EXPECT_EQ(rig.sim.PeekReply(host.connection, &due), ReplyStatus::None);

  rig.sim.Inject(Step::Save, 0, Fault::DeviceGone);
  EXPECT_FALSE(host.Send(save));
  EXPECT_EQ(rig.sim.PeekReply(host.connection, &due), ReplyStatus::Gone);
  EXPECT_FALSE(rig.sim.IsPresent(SimDevice::Controller));
  rig.PowerCycle(500);  // only a power cycle brings it back
  EXPECT_TRUE(rig.sim.IsPresent(SimDevice::Controller));
}

TEST(ControllerSimulator, PowerOffDropsConnectionsAndTheirReplies) {
  SimRig rig;
  RawHost host{rig.sim};
  ASSERT_TRUE(host.Open(kControllerVid, kControllerPid));
  rig.sim.SetReplyLatencyMs(5);
  ASSERT_TRUE(host.Send(CommandReport::Request(CommandCode::SaveConfig)));
  rig.sim.SetPower(false);
  uint32_t due;
  EXPECT_EQ(rig.sim.PeekReply(host.connection, &due), ReplyStatus::Gone);
  rig.sim.SetPower(true);
  rig.clock->Advance(500);
  // The old connection belongs to the device as it was before: it stays dead.
  EXPECT_FALSE(host.Send(CommandReport::Request(CommandCode::SaveConfig)));
  EXPECT_EQ(rig.sim.Connect(0x1234, 0x5678), 0u);
}

TEST(ControllerSimulator, SaveSnapshotsTheConfigurationAndSetModeUpdatesByte12) {
  SimRig rig;
  rig.sim.SetGlobalConfig(Filled(6));
  EXPECT_TRUE(rig.pad.SetMode(2, 1000));
  EXPECT_TRUE(rig.pad.SaveConfig(100));
  GlobalConfig expected = Filled(6);
  expected[kModeByte] = 2;
  EXPECT_EQ(rig.sim.SavedGlobalConfig(), expected);
  EXPECT_EQ(rig.sim.SaveCount(), 1u);
}
