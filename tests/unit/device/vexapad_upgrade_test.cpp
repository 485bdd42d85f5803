// The firmware transfer against the simulated controller: packets byte for byte, progress,
// the wait for the boot loader, and a transfer that breaks off.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "tests/support/GoldenReports.h"
#include "tests/support/SimRig.h"

namespace {

using Progress = std::vector<std::pair<size_t, size_t>>;

CVexapadT<SimTransport>::ProgressCallback Recorder(Progress* calls) {
  return [calls](size_t done, size_t total) { calls->emplace_back(done, total); };
}

std::vector<CommandReport> BootRequests(SimRig& rig) {
  return rig.sim.Requests(SimDevice::BootLoader);
}

}  // namespace

TEST(VexapadUpgrade, ThreeByteImageGoesAsTheWorkedExample) {
  SimRig rig;
  std::vector<uint8_t> image(std::begin(golden::kTinyImage), std::end(golden::kTinyImage));
  Progress progress;
  ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), Recorder(&progress), 10000));

  auto enter = rig.sim.Requests(SimDevice::Controller);
  ASSERT_EQ(enter.size(), 1u);
  EXPECT_EQ(ReportHex(enter[0]), ReportHex(golden::kEnterBootLoader));
  auto boot = BootRequests(rig);
  ASSERT_EQ(boot.size(), 2u);
  EXPECT_EQ(ReportHex(boot[0]), ReportHex(golden::kTinyImagePacket));
  EXPECT_EQ(ReportHex(boot[1]), ReportHex(golden::kEndTransfer));
  EXPECT_EQ(progress, (Progress{{3, 3}}));
  EXPECT_EQ(rig.sim.ReceivedImage(), image);
  EXPECT_TRUE(rig.sim.ImageComplete());
  EXPECT_TRUE(rig.sim.Violations().empty());
  EXPECT_FALSE(rig.pad.mainTransport.IsOpen());
  EXPECT_FALSE(rig.pad.bootTransport.IsOpen());
}

TEST(VexapadUpgrade, ImagesSplitInto58BytePacketsWithRunningProgress) {
  struct Case {
    size_t size;
    std::vector<uint8_t> lengths;
    Progress progress;
  };
  const Case cases[] = {
      {150, {58, 58, 34}, {{58, 150}, {116, 150}, {150, 150}}},
      {58, {58}, {{58, 58}}},
      {59, {58, 1}, {{58, 59}, {59, 59}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    SimRig rig;
    std::vector<uint8_t> image = PatternImage(c.size);
    Progress progress;
    ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), Recorder(&progress), 10000));
    auto boot = BootRequests(rig);
    ASSERT_EQ(boot.size(), c.lengths.size() + 1);
    size_t offset = 0;
    for (size_t i = 0; i < c.lengths.size(); ++i) {
      const CommandReport& packet = boot[i];
      EXPECT_EQ(packet.Command(), 0x02);
      EXPECT_EQ(packet.Argument(), i);
      EXPECT_EQ(packet.Length(), c.lengths[i]);
      EXPECT_EQ(packet.ChecksumField(), Checksum(image.data() + offset, c.lengths[i]));
      for (size_t b = 6 + c.lengths[i]; b < 64; ++b) {
        EXPECT_EQ(packet.bytes[b], 0) << "padding byte " << b;
      }
      offset += c.lengths[i];
    }
    EXPECT_EQ(ReportHex(boot.back()), ReportHex(golden::kEndTransfer));
    EXPECT_EQ(progress, c.progress);
    EXPECT_EQ(rig.sim.ReceivedImage(), image);
  }
}

TEST(VexapadUpgrade, EmptyProgressChangesNothingOnTheWire) {
  std::vector<uint8_t> image = PatternImage(200);
  std::vector<TranscriptEntry> withCallback;
  std::vector<TranscriptEntry> without;
  {
    SimRig rig;
    Progress progress;
    ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), Recorder(&progress), 10000));
    withCallback = rig.sim.Transcript();
  }
  {
    SimRig rig;
    ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
    without = rig.sim.Transcript();
  }
  ASSERT_EQ(withCallback.size(), without.size());
  for (size_t i = 0; i < without.size(); ++i) {
    EXPECT_EQ(withCallback[i].wire, without[i].wire);
    EXPECT_EQ(withCallback[i].timeMs, without[i].timeMs);
  }
}

TEST(VexapadUpgrade, PacketIndexWrapsAfter65535) {
  SimRig rig;
  rig.sim.SetTranscriptEnabled(false);
  const size_t size = 65536 * 58 + 10;  // 65537 packets
  std::vector<uint8_t> image = PatternImage(size);
  rig.sim.ReserveImage(size);
  size_t calls = 0;
  ASSERT_TRUE(rig.pad.Upgrade(
      image.data(), size, [&](size_t, size_t) { ++calls; }, 10000));
  EXPECT_EQ(calls, 65537u);
  EXPECT_EQ(rig.sim.DataPacketsReceived(), 65537u);
  EXPECT_TRUE(rig.sim.Violations().empty());  // the boot loader checks every index
  EXPECT_EQ(rig.sim.ReceivedImage(), image);
}

TEST(VexapadUpgrade, ProgressCallbackIsNotCopiedPerPacket) {
  SimRig rig;
  auto copies = std::make_shared<int>(0);
  struct Counting {
    std::shared_ptr<int> copies;
    Counting(std::shared_ptr<int> c) : copies(std::move(c)) {}
    Counting(const Counting& other) : copies(other.copies) { ++*copies; }
    Counting(Counting&&) = default;
    void operator()(size_t, size_t) const {}
  };
  CVexapadT<SimTransport>::ProgressCallback progress{Counting(copies)};
  const int before = *copies;
  std::vector<uint8_t> image = PatternImage(58 * 50);
  ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), std::move(progress), 10000));
  EXPECT_EQ(*copies, before);
}

TEST(VexapadUpgrade, BootLoaderAlreadyPresentIsUsedWithoutAnEnterPacket) {
  SimRig rig;
  rig.sim.SetHomeHeld(true);
  rig.PowerCycle(1000);  // powered on as the boot loader
  std::vector<uint8_t> image = PatternImage(100);
  const uint32_t start = rig.Now();
  ASSERT_TRUE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
  EXPECT_TRUE(rig.sim.Requests(SimDevice::Controller).empty());
  EXPECT_EQ(rig.pad.bootTransport.ScanCount(), 1u);  // found at the first attempt
  EXPECT_EQ(rig.Now(), start);
  EXPECT_EQ(rig.sim.ReceivedImage(), image);
}

TEST(VexapadUpgrade, BootLoaderThatNeverComesFailsAfterTheTimeOutSendingItNothing) {
  SimRig rig;
  rig.sim.Inject(Step::Enter, 0, Fault::NoBootLoader);
  std::vector<uint8_t> image = PatternImage(100);
  Progress progress;
  const uint32_t start = rig.Now();
  EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), Recorder(&progress), 10000));
  const uint32_t elapsed = rig.Now() - start;
  EXPECT_GE(elapsed, 10000u);
  EXPECT_LE(elapsed, 10000u + 220u);
  EXPECT_EQ(rig.sim.Requests(SimDevice::Controller).size(), 1u);  // the enter packet
  EXPECT_TRUE(BootRequests(rig).empty());
  EXPECT_TRUE(progress.empty());
  EXPECT_FALSE(rig.pad.bootTransport.IsOpen());
}

TEST(VexapadUpgrade, NeitherDevicePresentSendsNothing) {
  SimRig rig;
  rig.sim.SetPower(false);
  std::vector<uint8_t> image = PatternImage(10);
  const uint32_t start = rig.Now();
  EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 1000));
  EXPECT_GE(rig.Now() - start, 1000u);
  EXPECT_LE(rig.Now() - start, 1220u);
  EXPECT_EQ(rig.pad.bootTransport.ScanCount(), 5u);  // about every 200 ms
  EXPECT_TRUE(rig.sim.Transcript().empty());
}

TEST(VexapadUpgrade, ZeroTimeOutMakesNoAttemptToOpenTheBootLoader) {
  SimRig rig;
  std::vector<uint8_t> image = PatternImage(10);
  EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 0));
  EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), nullptr, -1));
  EXPECT_EQ(rig.pad.bootTransport.ScanCount(), 0u);
  EXPECT_TRUE(BootRequests(rig).empty());
}

TEST(VexapadUpgrade, EmptyImageIsRefusedBeforeAnythingIsOpened) {
  SimRig rig;
  std::vector<uint8_t> image = PatternImage(10);
  Progress progress;
  EXPECT_FALSE(rig.pad.Upgrade(image.data(), 0, Recorder(&progress), 10000));
  EXPECT_FALSE(rig.pad.Upgrade(nullptr, 10, Recorder(&progress), 10000));
  EXPECT_EQ(rig.pad.mainTransport.ScanCount(), 0u);
  EXPECT_EQ(rig.pad.bootTransport.ScanCount(), 0u);
  EXPECT_TRUE(rig.sim.Transcript().empty());
  EXPECT_EQ(rig.sim.State(), SimState::Normal);
  EXPECT_EQ(rig.Now(), 0u);
}

TEST(VexapadUpgrade, DeviceThatStopsAnsweringEndsTheLoopButStillGetsTheEndPacket) {
  SimRig rig;
  rig.sim.Inject(Step::DataPacket, 2, Fault::NoReply);
  std::vector<uint8_t> image = PatternImage(58 * 5);
  Progress progress;
  EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), Recorder(&progress), 10000));

  auto transcript = rig.sim.Transcript();
  std::vector<TranscriptEntry> sent;
  for (const TranscriptEntry& e : transcript) {
    if (e.device == SimDevice::BootLoader && e.direction == Direction::HostToDevice) {
      sent.push_back(e);
    }
  }
  ASSERT_EQ(sent.size(), 4u);  // packets 0, 1, 2 and the end packet; 3 and 4 never sent
  EXPECT_EQ(sent[2].Report().Argument(), 2);
  EXPECT_EQ(sent[3].Report().Command(), 0x03);
  EXPECT_EQ(sent[3].timeMs - sent[2].timeMs, kTransferTimeoutMs);  // packet 2's read ran out
  EXPECT_EQ(progress, (Progress{{58, 290}, {116, 290}}));
  EXPECT_FALSE(rig.sim.ImageComplete());
  EXPECT_FALSE(rig.pad.bootTransport.IsOpen());
}

TEST(VexapadUpgrade, ResultFollowsTheEndExchange) {
  std::vector<uint8_t> image = PatternImage(70);
  {
    SimRig rig;
    rig.sim.Inject(Step::EndPacket, 0, Fault::NoReply);
    EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
    EXPECT_EQ(rig.sim.ReceivedImage(), image);
  }
  {
    SimRig rig;
    rig.sim.Inject(Step::DataPacket, 1, Fault::DeviceGone);
    EXPECT_FALSE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
    EXPECT_EQ(BootRequests(rig).size(), 1u);  // packet 1 and the end packet found it gone
  }
  {
    SimRig rig;  // the enter packet unanswered is no error
    rig.sim.SetEnterAnswered(false);
    EXPECT_TRUE(rig.pad.Upgrade(image.data(), image.size(), nullptr, 10000));
    EXPECT_EQ(rig.sim.ReceivedImage(), image);
  }
}
