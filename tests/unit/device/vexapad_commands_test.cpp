// The configuration commands against the simulated controller: bytes on the wire, block
// order, failure paths, and the open wait in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "tests/support/GoldenReports.h"
#include "tests/support/SimRig.h"

namespace {

GlobalConfig NumberedGlobal() {
  GlobalConfig global;
  for (size_t i = 0; i < global.size(); ++i) {
    global[i] = static_cast<uint8_t>(0xA0 + i);
  }
  return global;
}

ButtonConfig NumberedButtons() {
  ButtonConfig buttons;
  for (size_t i = 0; i < buttons.size(); ++i) {
    buttons[i] = static_cast<uint8_t>(i % 251 + 1);
  }
  return buttons;
}

}  // namespace

TEST(VexapadCommands, RequestsMatchTheWorkedExamplesByteForByte) {
  SimRig rig;
  EXPECT_TRUE(rig.pad.SaveConfig(100));
  EXPECT_TRUE(rig.pad.SetMode(2, 1000));
  ASSERT_TRUE(rig.pad.mainTransport.OpenDevice(kControllerVid, kControllerPid, L""));
  uint8_t block[11];
  EXPECT_TRUE(rig.pad.ReadButtonBlock(block, 11, 5));
  const uint8_t data[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  EXPECT_TRUE(rig.pad.WriteButtonBlock(data, 11, 1));
  rig.pad.Close();

  auto requests = rig.sim.Requests(SimDevice::Controller);
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(ReportHex(requests[0]), ReportHex(golden::kSaveConfig));
  EXPECT_EQ(ReportHex(requests[1]), ReportHex(golden::kSetMode2));
  EXPECT_EQ(ReportHex(requests[2]), ReportHex(golden::kReadButtonBlock5));
  EXPECT_EQ(ReportHex(requests[3]), ReportHex(golden::kWriteButtonBlock1));
  EXPECT_EQ(rig.sim.SaveCount(), 1u);
  EXPECT_EQ(rig.sim.ModesSet(), std::vector<uint16_t>{2});
  EXPECT_TRUE(rig.sim.Violations().empty());
}

TEST(VexapadCommands, WireReportIsReportIdZeroThenTheRequest) {
  SimRig rig;
  ASSERT_TRUE(rig.pad.SaveConfig(100));
  auto transcript = rig.sim.Transcript();
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_EQ(transcript[0].direction, Direction::HostToDevice);
  EXPECT_EQ(transcript[0].count, 65);
  EXPECT_EQ(transcript[0].wire[0], 0);
  EXPECT_EQ(transcript[0].wire[4], 0x05);
  EXPECT_EQ(transcript[1].direction, Direction::DeviceToHost);
  EXPECT_EQ(transcript[1].count, 65);
}

TEST(VexapadCommands, GlobalConfigRoundTripsAndReadCopiesExactlyThe33Bytes) {
  SimRig rig;
  rig.sim.SetGlobalConfig(NumberedGlobal());
  std::array<uint8_t, 40> out;
  out.fill(0xEE);
  ASSERT_TRUE(rig.pad.ReadGlobalConfig(out.data(), 33, 1000));
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 33, NumberedGlobal().begin()));
  for (size_t i = 33; i < out.size(); ++i) {
    EXPECT_EQ(out[i], 0xEE) << "byte " << i << " written past the block";
  }
  EXPECT_EQ(ReportHex(rig.sim.Requests(SimDevice::Controller).at(0)),
            ReportHex(golden::kReadGlobalConfig));

  GlobalConfig ff;
  ff.fill(0xFF);
  ASSERT_TRUE(rig.pad.WriteGlobalConfig(ff.data(), 33, 10000));
  CommandReport write = rig.sim.Requests(SimDevice::Controller).at(1);
  EXPECT_EQ(write.Length(), 0x21);
  EXPECT_EQ(write.Command(), 0x09);
  EXPECT_EQ(write.Argument(), 0);
  EXPECT_EQ(write.ChecksumField(), golden::kChecksum33xFF);
  // The running firmware keeps reporting its own version in byte 0.
  GlobalConfig stored = ff;
  stored[kFirmwareVersionByte] = NumberedGlobal()[kFirmwareVersionByte];
  EXPECT_EQ(rig.sim.GetGlobalConfig(), stored);
}

TEST(VexapadCommands, GlobalConfigLengthAboveOnePayloadFailsWithoutIo) {
  SimRig rig;
  std::array<uint8_t, 64> buffer{};
  EXPECT_FALSE(rig.pad.ReadGlobalConfig(buffer.data(), 59, 1000));
  EXPECT_FALSE(rig.pad.WriteGlobalConfig(buffer.data(), 59, 1000));
  EXPECT_EQ(rig.pad.mainTransport.ScanCount(), 0u);
  EXPECT_TRUE(rig.sim.Transcript().empty());
  // 58 is still allowed.
  EXPECT_TRUE(rig.pad.ReadGlobalConfig(buffer.data(), 58, 1000));
}

TEST(VexapadCommands, ButtonTableMovesBlocksZeroTo32InOrder) {
  SimRig rig;
  rig.sim.SetButtonConfig(NumberedButtons());
  ButtonConfig out{};
  ASSERT_TRUE(rig.pad.ReadButtonConfig(out.data(), 1000));
  EXPECT_EQ(out, NumberedButtons());

  ButtonConfig written;
  written.fill(0x5A);
  ASSERT_TRUE(rig.pad.WriteButtonConfig(written.data(), 10000));
  EXPECT_EQ(rig.sim.GetButtonConfig(), written);

  auto requests = rig.sim.Requests(SimDevice::Controller);
  ASSERT_EQ(requests.size(), 66u);
  for (int i = 0; i < 33; ++i) {
    EXPECT_EQ(requests[i].Command(), 0x06);
    EXPECT_EQ(requests[i].Argument(), i);
    EXPECT_EQ(requests[33 + i].Command(), 0x07);
    EXPECT_EQ(requests[33 + i].Argument(), i);
    EXPECT_EQ(requests[33 + i].Length(), 11);
    EXPECT_EQ(requests[33 + i].ChecksumField(), Checksum(written.data(), 11));
  }
  // One open for each table, not one per block.
  EXPECT_EQ(rig.pad.mainTransport.ScanCount(), 2u);
  EXPECT_TRUE(rig.sim.Violations().empty());
}

TEST(VexapadCommands, UnansweredBlockStopsTheTableThereAndCloses) {
  SimRig rig;
  rig.sim.SetButtonConfig(NumberedButtons());
  rig.sim.Inject(Step::ButtonRead, 7, Fault::NoReply);
  ButtonConfig out;
  out.fill(0xEE);
  const uint32_t start = rig.Now();
  EXPECT_FALSE(rig.pad.ReadButtonConfig(out.data(), 1000));
  EXPECT_EQ(rig.Now() - start, kTransferTimeoutMs);
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 77, NumberedButtons().begin()));
  EXPECT_TRUE(std::all_of(out.begin() + 77, out.end(), [](uint8_t b) { return b == 0xEE; }));
  auto requests = rig.sim.Requests(SimDevice::Controller);
  ASSERT_EQ(requests.size(), 8u);  // blocks 0..7, nothing for 8
  EXPECT_EQ(requests.back().Argument(), 7);
  EXPECT_FALSE(rig.pad.mainTransport.IsOpen());
}

TEST(VexapadCommands, FailedWriteOfABlockStopsTheWrite) {
  SimRig rig;
  rig.sim.Inject(Step::ButtonWrite, 3, Fault::DeviceGone);
  ButtonConfig data;
  data.fill(0x11);
  EXPECT_FALSE(rig.pad.WriteButtonConfig(data.data(), 10000));
  EXPECT_EQ(rig.sim.Requests(SimDevice::Controller).size(), 3u);  // block 3 never arrived
  EXPECT_FALSE(rig.pad.mainTransport.IsOpen());
}

TEST(VexapadCommands, ReplyFaultsFailTheCommandAndLeaveOutputAlone) {
  SimRig rig;
  rig.sim.SetGlobalConfig(NumberedGlobal());
  std::array<uint8_t, 33> out;
  out.fill(0xEE);

  rig.sim.Inject(Step::GlobalRead, 0, Fault::ShortReply, 40);
  EXPECT_FALSE(rig.pad.ReadGlobalConfig(out.data(), 33, 100));  // short reply: failed read
  rig.sim.Inject(Step::GlobalRead, 0, Fault::LateReply, kTransferTimeoutMs + 1);
  EXPECT_FALSE(rig.pad.ReadGlobalConfig(out.data(), 33, 100));
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0xEE; }));

  // A reply inside the transfer time-out is still good.
  rig.sim.Inject(Step::GlobalRead, 0, Fault::LateReply, kTransferTimeoutMs - 1);
  EXPECT_TRUE(rig.pad.ReadGlobalConfig(out.data(), 33, 100));
  EXPECT_EQ(out[32], NumberedGlobal()[32]);

  // Caps that report another length: the command fails without a request going out.
  rig.sim.SetReportLength(SimDevice::Controller, 64);
  const size_t before = rig.sim.Requests(SimDevice::Controller).size();
  EXPECT_FALSE(rig.pad.SaveConfig(100));
  EXPECT_EQ(rig.sim.Requests(SimDevice::Controller).size(), before);
}

TEST(VexapadCommands, WrongReportLengthFromAStepOnFailsThatReplyAndLaterRequests) {
  SimRig rig;
  rig.sim.Inject(Step::SetMode, 0, Fault::WrongReportLength, 33);
  EXPECT_FALSE(rig.pad.SetMode(1, 1000));  // request taken, but the reply cannot be read
  EXPECT_FALSE(rig.pad.SetMode(3, 1000));  // the caps stay wrong: nothing is sent
  rig.sim.SetReportLength(SimDevice::Controller, 65);
  EXPECT_TRUE(rig.pad.SetMode(4, 1000));
  EXPECT_EQ(rig.sim.ModesSet(), (std::vector<uint16_t>{1, 4}));
  EXPECT_EQ(rig.sim.GetGlobalConfig()[kModeByte], 4);
}

TEST(VexapadOpen, ZeroTimeOutMakesNoAttempt) {
  SimRig rig;
  std::array<uint8_t, 33> out{};
  EXPECT_FALSE(rig.pad.SaveConfig(0));
  EXPECT_FALSE(rig.pad.ReadGlobalConfig(out.data(), 33, 0));
  EXPECT_FALSE(rig.pad.ReadButtonConfig(out.data(), 0));
  EXPECT_EQ(rig.pad.mainTransport.ScanCount(), 0u);
  EXPECT_FALSE(rig.pad.mainTransport.IsOpen());
  EXPECT_EQ(rig.Now(), 0u);
  EXPECT_TRUE(rig.sim.Transcript().empty());
}

TEST(VexapadOpen, AbsentControllerGetsOneScanAndFailsJustAfter200Ms) {
  SimRig rig;
  rig.sim.SetPower(false);
  const uint32_t start = rig.Now();
  EXPECT_FALSE(rig.pad.SaveConfig(100));
  const uint32_t elapsed = rig.Now() - start;
  EXPECT_EQ(rig.pad.mainTransport.ScanCount(), 1u);
  EXPECT_GT(elapsed, 200u);
  EXPECT_LE(elapsed, 220u);

  // With 1000 ms the controller is tried about five times.
  EXPECT_FALSE(rig.pad.SaveConfig(1000));
  EXPECT_EQ(rig.pad.mainTransport.ScanCount(), 1u + 5u);
}

TEST(VexapadOpen, ControllerAttachedDuringTheWaitIsTakenAtTheNextAttempt) {
  SimRig rig;
  rig.pad.mainTransport.SetScanCostMs(5);
  rig.sim.SetPowerOnDelayMs(450);
  rig.sim.SetPower(false);
  rig.sim.SetPower(true);  // present from 450 ms on
  EXPECT_TRUE(rig.pad.SaveConfig(1000));
  auto transcript = rig.sim.Transcript();
  ASSERT_FALSE(transcript.empty());
  const uint32_t sentAt = transcript.front().timeMs;
  EXPECT_GE(sentAt, 450u);
  EXPECT_LE(sentAt, 450u + 220u + 5u);
  EXPECT_EQ(rig.pad.mainTransport.ScanCount(), 3u);  // at 0, 225, 450+: the third finds it
}

TEST(VexapadPause, EndsAtTheFirstStepPastTheWait) {
  SimRig rig;
  auto& clock = rig.clock;
  rig.pad.Pause(200);
  EXPECT_EQ(clock->NowMs(), 220u);
  EXPECT_EQ(clock->Sleeps(), 11u);
  rig.pad.Pause(7);  // short waits are one sleep
  EXPECT_EQ(clock->NowMs(), 227u);
  rig.pad.Pause(-5);  // never an endless sleep
  EXPECT_EQ(clock->NowMs(), 227u);
}
