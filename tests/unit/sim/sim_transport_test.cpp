// The native transport over the simulator: open, scan and transfer semantics in virtual
// time, as the Win32 HID transport has them.
#include <gtest/gtest.h>

#include <array>

#include "tests/support/GoldenReports.h"
#include "tests/support/SimRig.h"

namespace {

struct TransportRig {
  ScopedVirtualClock clock;
  ControllerSimulator sim;
  SimTransport transport{sim};

  bool OpenController() { return transport.OpenDevice(kControllerVid, kControllerPid, L""); }
  bool SendSave() {
    CommandReport save = CommandReport::Request(CommandCode::SaveConfig);
    return transport.WriteReport(save.data(), kReportSize, kTransferTimeoutMs);
  }
};

}  // namespace

TEST(SimTransport, OpenMatchesVidPidAndPathFilter) {
  TransportRig rig;
  EXPECT_TRUE(rig.transport.OpenDevice(kControllerVid, kControllerPid, nullptr));
  EXPECT_TRUE(rig.transport.IsOpen());
  EXPECT_TRUE(rig.transport.OpenDevice(kControllerVid, kControllerPid, L"vid_1c4f"));
  // A failed open still closes what was open before.
  EXPECT_FALSE(rig.transport.OpenDevice(kControllerVid, kControllerPid, L"VID_1C4F"));
  EXPECT_FALSE(rig.transport.IsOpen());
  EXPECT_FALSE(rig.transport.OpenDevice(kControllerVid, 0x0003, L""));
  EXPECT_FALSE(rig.transport.OpenDevice(kBootLoaderVid, kBootLoaderPid, L""));
  EXPECT_EQ(rig.transport.ScanCount(), 5u);
  rig.transport.CloseDevice();
  rig.transport.CloseDevice();  // harmless twice
  EXPECT_FALSE(rig.transport.IsOpen());
}

TEST(SimTransport, IsPresentLeavesTheObjectAsItWas) {
  TransportRig rig;
  EXPECT_TRUE(rig.transport.IsPresent(kControllerVid, kControllerPid));
  EXPECT_FALSE(rig.transport.IsOpen());
  ASSERT_TRUE(rig.OpenController());
  EXPECT_FALSE(rig.transport.IsPresent(kBootLoaderVid, kBootLoaderPid));
  EXPECT_TRUE(rig.transport.IsOpen());
  rig.transport.SetScanCostMs(30);
  rig.transport.IsPresent(kControllerVid, kControllerPid);
  EXPECT_EQ(rig.clock->NowMs(), 30u);
}

TEST(SimTransport, TransfersNeedAnOpenDeviceWithReportLengthLenPlusOne) {
  TransportRig rig;
  std::array<uint8_t, 64> buffer{};
  EXPECT_FALSE(rig.transport.WriteReport(buffer.data(), 64, 10));
  EXPECT_FALSE(rig.transport.ReadReport(buffer.data(), 64, 10));
  ASSERT_TRUE(rig.OpenController());
  EXPECT_FALSE(rig.transport.WriteReport(buffer.data(), 63, 10));
  rig.sim.SetReportLength(SimDevice::Controller, 64);
  EXPECT_FALSE(rig.SendSave());
  EXPECT_FALSE(rig.transport.ReadReport(buffer.data(), 64, 10));
  EXPECT_TRUE(rig.sim.Transcript().empty());  // nothing reached the device
  EXPECT_EQ(rig.clock->NowMs(), 0u);          // and no time passed
}

TEST(SimTransport, ReadWithoutReplyTakesTheWholeTimeOutAndLeavesDstAlone) {
  TransportRig rig;
  rig.sim.Inject(Step::Save, 0, Fault::NoReply);
  ASSERT_TRUE(rig.OpenController());
  ASSERT_TRUE(rig.SendSave());
  std::array<uint8_t, 64> dst;
  dst.fill(0xEE);
  EXPECT_FALSE(rig.transport.ReadReport(dst.data(), 64, 10000));
  EXPECT_EQ(rig.clock->NowMs(), 10000u);
  for (uint8_t b : dst) {
    ASSERT_EQ(b, 0xEE);
  }
}

TEST(SimTransport, LateReplyMissesItsReadAndIsTakenByTheNextOne) {
  TransportRig rig;
  rig.sim.Inject(Step::Save, 0, Fault::LateReply, 500);
  ASSERT_TRUE(rig.OpenController());
  ASSERT_TRUE(rig.SendSave());
  std::array<uint8_t, 64> dst{};
  EXPECT_FALSE(rig.transport.ReadReport(dst.data(), 64, 100));
  EXPECT_EQ(rig.clock->NowMs(), 100u);
  EXPECT_TRUE(rig.transport.ReadReport(dst.data(), 64, 1000));
  EXPECT_EQ(rig.clock->NowMs(), 500u);  // waited only until it was due
  EXPECT_EQ(dst[3], 0x05);              // the report id byte was dropped
}

TEST(SimTransport, ShortReplyIsAFailedRead) {
  TransportRig rig;
  rig.sim.Inject(Step::Save, 0, Fault::ShortReply, 64);
  ASSERT_TRUE(rig.OpenController());
  ASSERT_TRUE(rig.SendSave());
  std::array<uint8_t, 64> dst;
  dst.fill(0xEE);
  EXPECT_FALSE(rig.transport.ReadReport(dst.data(), 64, 10000));
  EXPECT_EQ(dst[3], 0xEE);
}

TEST(SimTransport, GoneDeviceFailsTransfersAtOnce) {
  TransportRig rig;
  ASSERT_TRUE(rig.OpenController());
  rig.sim.SetPower(false);
  std::array<uint8_t, 64> dst{};
  EXPECT_FALSE(rig.SendSave());
  EXPECT_FALSE(rig.transport.ReadReport(dst.data(), 64, 10000));
  EXPECT_EQ(rig.clock->NowMs(), 0u);
  EXPECT_TRUE(rig.transport.IsOpen());  // as with a real handle: open until closed
}
